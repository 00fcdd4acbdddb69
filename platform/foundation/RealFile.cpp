// Real-path reads and writes, declared in PropertyList.h.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "foundation/Device.h"
#include "foundation/DeviceFiles.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"
#include "foundation/PropertyListLimits.h"

namespace {

bool fail(std::string* reason, const std::string& why) {
  if (reason) *reason = why;
  return false;
}

std::string errorText(const char* what, int error) {
  return std::string(what) + ": " + std::strerror(error);
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now, for the error close reports.
  int close() {
    int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

bool writeAll(int fd, const std::vector<uint8_t>& bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  return true;
}

// Gives a replacement file the owner, group and mode of the file it replaces. Owner and group
// only as far as this process may set them; the mode always.
bool takeOver(int fd, const struct stat& old) {
  if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)!::fchown(fd, -1, old.st_gid);
  }
  return ::fchmod(fd, old.st_mode & 07777) == 0;
}

bool writeInPlace(const std::string& realPath, const std::vector<uint8_t>& bytes,
                  std::string* reason) {
  // Non-blocking so that a FIFO fails rather than waits for a reader.
  FileDescriptor fd(
      standin::openFile(realPath, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK, 0644));
  if (fd.get() < 0) {
    return fail(reason,
                errno == ELOOP ? "is a symbolic link" : errorText("cannot be written", errno));
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return fail(reason, errorText("cannot be written", errno));
  if (!S_ISREG(info.st_mode)) return fail(reason, "is not a regular file");
  if (::ftruncate(fd.get(), 0) != 0 || !writeAll(fd.get(), bytes) || fd.close() != 0) {
    return fail(reason, errorText("cannot be written", errno));
  }
  return true;
}

bool writeAtomically(const standin::FolderEntry& entry, const std::vector<uint8_t>& bytes,
                     const struct stat* old, bool durable, std::string* reason) {
  std::string temporary = entry.name() + ".tmp." + std::to_string(::getpid());
  // Owner-only until it has the old file's mode, so that a private file never shows.
  const mode_t mode = old ? 0600 : 0644;
  const int flags = O_WRONLY | O_CREAT | O_EXCL | O_TRUNC | O_CLOEXEC | O_NOFOLLOW;
  int raw = ::openat(entry.folder(), temporary.c_str(), flags, mode);
  if (raw < 0 && errno == EEXIST) {
    ::unlinkat(entry.folder(), temporary.c_str(), 0);
    raw = ::openat(entry.folder(), temporary.c_str(), flags, mode);
  }
  if (raw < 0) return fail(reason, errorText("cannot be written", errno));
  FileDescriptor fd(raw);
  bool ok = writeAll(fd.get(), bytes) && (!old || takeOver(fd.get(), *old)) &&
            (!durable || ::fsync(fd.get()) == 0);
  int error = errno;
  ok = fd.close() == 0 && ok;
  if (ok &&
      ::renameat(entry.folder(), temporary.c_str(), entry.folder(), entry.name().c_str()) == 0) {
    return true;
  }
  if (ok) error = errno;
  ::unlinkat(entry.folder(), temporary.c_str(), 0);
  return fail(reason, errorText("cannot be written", error));
}

}  // namespace

std::optional<std::vector<uint8_t>> readRealFile(const std::string& realPath, std::string* reason,
                                                 std::size_t maxBytes) {
  // Non-blocking so that opening a FIFO does not wait for a writer; it is refused below.
  FileDescriptor fd(standin::openFile(realPath, O_RDONLY | O_NONBLOCK));
  if (fd.get() < 0) {
    fail(reason, errno == ENOENT ? "does not exist" : errorText("cannot be read", errno));
    return std::nullopt;
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) {
    fail(reason, errorText("cannot be read", errno));
    return std::nullopt;
  }
  if (!S_ISREG(info.st_mode)) {
    fail(reason, S_ISDIR(info.st_mode) ? "is a folder" : "is not a regular file");
    return std::nullopt;
  }
  const std::string tooLarge = "is larger than " + plist_limits::describeSize(maxBytes);
  if (static_cast<uint64_t>(info.st_size) > maxBytes) {
    fail(reason, tooLarge);
    return std::nullopt;
  }
  std::vector<uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  uint8_t buffer[65536];
  for (;;) {
    // One byte past the limit tells a file that grew since fstat.
    std::size_t room = maxBytes - bytes.size();
    ssize_t n = ::read(fd.get(), buffer, room < sizeof buffer ? room + 1 : sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      fail(reason, errorText("cannot be read", errno));
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.insert(bytes.end(), buffer, buffer + n);
    if (bytes.size() > maxBytes) {
      fail(reason, tooLarge);
      return std::nullopt;
    }
  }
  return bytes;
}

namespace {
bool writeRealFile(const std::string& realPath, const std::vector<uint8_t>& bytes, bool atomically,
                   bool durable, std::string* reason) {
  auto entry = standin::openFolderOf(realPath);
  if (!entry) return fail(reason, errorText("cannot be written", errno));
  struct stat old {};
  bool exists = ::fstatat(entry->folder(), entry->name().c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
  // Replacing a link would cut it; writing through it would change a file elsewhere.
  if (exists && S_ISLNK(old.st_mode)) return fail(reason, "is a symbolic link");
  if (!atomically) return writeInPlace(realPath, bytes, reason);
  if (exists && S_ISDIR(old.st_mode)) return fail(reason, "is a folder");
  if (exists && !S_ISREG(old.st_mode)) return fail(reason, "is not a regular file");
  return writeAtomically(*entry, bytes, exists ? &old : nullptr, durable, reason);
}
}  // namespace

bool writeRealFile(const std::string& realPath, const std::vector<uint8_t>& bytes, bool atomically,
                   std::string* reason) {
  return writeRealFile(realPath, bytes, atomically, true, reason);
}

bool writeRealFileWhole(const std::string& realPath, const std::vector<uint8_t>& bytes,
                        std::string* reason) {
  return writeRealFile(realPath, bytes, true, false, reason);
}

std::shared_ptr<NSData> NSData::dataWithContentsOfFile(const std::string& path) {
  auto bytes = readRealFile(fileSystemRepresentation(path));
  return bytes ? make<NSData>(std::move(*bytes)) : nullptr;
}

bool NSData::writeToFile(const std::string& path, bool atomically) const {
  return writeRealFile(fileSystemRepresentation(path), bytes, atomically);
}
