#include "foundation/PropertyListFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "foundation/Device.h"

namespace PropertyListFile {
namespace {

std::atomic<unsigned long> writes{0};

bool sameValue(const id& a, const id& b) {
  if (!a || !b) return !a && !b;
  return a->isEqual(*b);
}

}  // namespace

Lock::Lock(const std::string& path) {
  std::string lockPath = fileSystemRepresentation(path) + ".lock";
  // Non-blocking open, so that a FIFO put in its place fails rather than waits.
  fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    failure_ = lockPath + ": cannot be opened: " + std::strerror(errno);
    return;
  }
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    failure_ = lockPath + ": cannot be locked: " + std::strerror(errno);
    ::close(fd_);
    fd_ = -1;
    return;
  }
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
  std::string why;
  id list = readPropertyListFile(real, &why);
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
