#include "foundation/PropertyListFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "foundation/Device.h"
#include "foundation/DeviceFiles.h"
#include "foundation/PropertyListLimits.h"

namespace PropertyListFile {
namespace {

std::atomic<unsigned long> writes{0};
std::atomic<long> lockWaitMilliseconds{5000};

// Removes the temporary files ("NAME.tmp.PID") that writers killed mid-write left beside the
// file. Called under the lock, so no living writer of this file is between its write and rename.
void removeWhatDeadWritersLeft(const std::string& realPath) {
  auto entry = standin::openFolderOf(realPath);
  if (!entry) return;
  int fd = ::openat(entry->folder(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* folder = fd >= 0 ? ::fdopendir(fd) : nullptr;
  if (!folder) {
    if (fd >= 0) ::close(fd);
    return;
  }
  const std::string prefix = entry->name() + ".tmp.";
  while (dirent* file = ::readdir(folder)) {
    std::string name = file->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    char* end = nullptr;
    long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    if (pid == ::getpid() || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)) {
      ::unlinkat(::dirfd(folder), name.c_str(), 0);
    }
  }
  ::closedir(folder);
}

bool sameValue(const id& a, const id& b) {
  if (!a || !b) return !a && !b;
  return a->isEqual(*b);
}

}  // namespace

Lock::Lock(const std::string& path) {
  std::string lockPath = fileSystemRepresentation(path) + ".lock";
  // Non-blocking open, so that a FIFO put in its place fails rather than waits.
  fd_ = standin::openFile(lockPath, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd_ < 0) {
    failure_ = lockPath + ": cannot be opened: " + std::strerror(errno);
    return;
  }
  // A holder that never lets go must not hold this process up for ever: wait a while, then fail.
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(lockWaitMilliseconds.load());
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const bool held = errno == EWOULDBLOCK;
    if (!held || std::chrono::steady_clock::now() >= deadline) {
      failure_ = lockPath + (held ? ": is held by another process; gave up after " +
                                        std::to_string(lockWaitMilliseconds.load()) + " ms"
                                  : ": cannot be locked: " + std::string(std::strerror(errno)));
      ::close(fd_);
      fd_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

void Lock::setWaitLimit(std::chrono::milliseconds limit) {
  lockWaitMilliseconds.store(static_cast<long>(limit.count()));
}

Lock::~Lock() {
  if (fd_ >= 0) ::close(fd_);
}

UpdateResult update(const std::string& path, NSPropertyListFormat format,
                    const std::function<bool(NSDictionary&)>& change) {
  UpdateResult result;
  Lock lock(path);
  if (!lock.held()) {
    result.reason = lock.failure();
    return result;
  }
  const std::string real = fileSystemRepresentation(path);
  removeWhatDeadWritersLeft(real);
  std::string why;
  auto bytes = readRealFile(real, &why, plist_limits::kMaxFileBytes);
  id list = bytes ? propertyListFromData(*bytes, &why) : nullptr;
  auto contents = cast<NSDictionary>(list);
  if (!contents) {
    // Only a missing file starts empty; anything else there is someone's and stays.
    if (list || why != "does not exist") {
      result.status = UpdateStatus::Unreadable;
      result.reason = real + ": " + (list ? "is not a dictionary" : why) + "; left unchanged";
      return result;
    }
    contents = make<NSDictionary>();
  }
  result.contents = contents;
  if (!change(*contents)) {
    result.status = UpdateStatus::Unchanged;
    return result;
  }
  auto data = dataWithPropertyList(contents, format, &why);
  // The very bytes the file holds already: nothing changed, so there is nothing to make durable.
  if (data && bytes && *data == *bytes) {
    result.status = UpdateStatus::Unchanged;
    return result;
  }
  if (!data || !writeRealFile(real, *data, true, &why)) {
    result.reason = real + ": " + why;
    return result;
  }
  writes.fetch_add(1, std::memory_order_relaxed);
  result.status = UpdateStatus::Written;
  return result;
}

UpdateResult update(const std::string& path, const std::map<std::string, id>& changes,
                    NSPropertyListFormat format) {
  return update(path, format, [&changes](NSDictionary& contents) {
    bool changed = false;
    for (const auto& [key, value] : changes) {
      if (sameValue(contents.objectForKey(key), value)) continue;
      if (value) {
        contents.setObject(value, key);
      } else {
        contents.entries.erase(key);
      }
      changed = true;
    }
    return changed;
  });
}

unsigned long writesSoFar() {
  return writes.load(std::memory_order_relaxed);
}

}  // namespace PropertyListFile
