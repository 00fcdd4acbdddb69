#include "LogFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "foundation/Device.h"
#include "foundation/DeviceFiles.h"

namespace {
constexpr const char* kLogFile = "/tmp/quorvik.log";
constexpr const char* kPreviousLogName = "quorvik.log.1";
// A process that starts with the log past this size moves it to kPreviousLogName and starts a new
// one. Every process's own lines are bounded too (NSLog stops at a file of 16 MiB), so that a
// process that keeps the moved file as its standard error cannot grow it without end.
constexpr off_t kRotateLogBytes = 8 * 1024 * 1024;

// The folder is writable by anyone: never follow a link planted at the name, never block on a
// planted pipe, and append only to a regular file of our own. A new file is the owner's alone.
int openLog(const std::string& path) {
  int fd = standin::openFile(
      path, O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
      info.st_nlink != 1) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Whether the name still leads to the open file: another process may have moved it away.
bool stillNamed(int fd, const standin::FolderEntry& entry) {
  struct stat open {
  }, named{};
  return ::fstat(fd, &open) == 0 &&
         ::fstatat(entry.folder(), entry.name().c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}
// The lock is held only for a rename; start-up never waits long on it.
bool lockBriefly(int fd) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    ::usleep(10000);
  }
  return false;
}

void useAsStandardError(int fd) {
  ::fchmod(fd, S_IRUSR | S_IWUSR);
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::fflush(stderr);
  ::dup2(fd, STDERR_FILENO);
  ::close(fd);
}
}  // namespace

void redirectStandardErrorToLogFile() {
  std::string path = fileSystemRepresentation(kLogFile);
  auto entry = standin::openFolderOf(path);
  if (!entry) return;
  // Processes starting together agree under a lock on the log itself: the first to find it too
  // large moves it away; the others then find the name leads to a new file and open that one.
  for (int attempt = 0; attempt < 4; ++attempt) {
    int fd = openLog(path);
    if (fd < 0) return;
    struct stat info {};
    if (!lockBriefly(fd)) {
      // Held too long by another: this process logs without moving anything.
      useAsStandardError(fd);
      return;
    }
    if (!stillNamed(fd, *entry) || ::fstat(fd, &info) != 0) {
      ::close(fd);
      continue;
    }
    if (info.st_size > kRotateLogBytes && ::renameat(entry->folder(), entry->name().c_str(),
                                                     entry->folder(), kPreviousLogName) == 0) {
      ::close(fd);
      continue;
    }
    ::flock(fd, LOCK_UN);
    useAsStandardError(fd);
    return;
  }
}
