#include "foundation/DeviceFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "foundation/Device.h"

namespace standin {
namespace {

constexpr std::uint64_t kInsideRoot = RESOLVE_IN_ROOT | RESOLVE_NO_MAGICLINKS;

// The device root held open, reopened when the process moves to another root.
class RootFolder {
 public:
  // A descriptor of the root that stays valid until the root changes; -1 with errno set.
  int descriptor() {
    std::lock_guard guard(lock_);
    const std::string& root = deviceRoot();
    if (fd_ >= 0 && root == path_) return fd_;
    if (fd_ >= 0) ::close(fd_);
    fd_ = ::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    path_ = root;
    return fd_;
  }

 private:
  std::mutex lock_;
  std::string path_;
  int fd_ = -1;
};

RootFolder& rootFolder() {
  static RootFolder& root = *new RootFolder;  // kept for the exit handlers' writes too
  return root;
}

int openBelow(int root, const std::string& relative, int flags, mode_t mode) {
  open_how how{};
  how.flags = static_cast<std::uint64_t>(flags | O_CLOEXEC);
  // openat2 refuses a mode with flags that create nothing.
  if (flags & (O_CREAT | O_TMPFILE)) how.mode = mode;
  how.resolve = kInsideRoot;
  for (;;) {
    long fd = ::syscall(SYS_openat2, root, relative.c_str(), &how, sizeof how);
    // The kernel asks for a retry when a rename raced the resolution.
    if (fd < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    return static_cast<int>(fd);
  }
}

int openInRoot(const std::string& relative, int flags, mode_t mode) {
  int root = rootFolder().descriptor();
  return root < 0 ? -1 : openBelow(root, relative, flags, mode);
}

std::pair<std::string, std::string> splitLast(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  auto slash = trimmed.rfind('/');
  if (slash == std::string::npos) return {".", trimmed};
  return {slash == 0 ? "/" : trimmed.substr(0, slash), trimmed.substr(slash + 1)};
}

bool removeInside(int folder, const std::string& name) {
  if (::unlinkat(folder, name.c_str(), 0) == 0) return true;
  if (errno != EISDIR && errno != EPERM) return false;
  int fd = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    ::close(fd);
    return false;
  }
  std::vector<std::string> names;
  while (dirent* entry = ::readdir(dir)) {
    std::string child = entry->d_name;
    if (child != "." && child != "..") names.push_back(child);
  }
  bool ok = true;
  for (const auto& child : names) ok = removeInside(::dirfd(dir), child) && ok;
  ::closedir(dir);
  return ok && ::unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0;
}

}  // namespace

std::optional<std::string> pathInDevice(const std::string& realPath) {
  const std::string& root = deviceRoot();
  if (root == "/" || realPath.compare(0, root.size(), root) != 0) return std::nullopt;
  if (realPath.size() == root.size()) return ".";
  if (realPath[root.size()] != '/') return std::nullopt;
  std::string relative = realPath.substr(root.size() + 1);
  return relative.empty() ? "." : relative;
}

int openInside(const std::string& folder, const std::string& path, int flags, mode_t mode) {
  int root = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (root < 0) return -1;
  std::string relative = path;
  while (!relative.empty() && relative.front() == '/') relative.erase(relative.begin());
  int fd = openBelow(root, relative.empty() ? "." : relative, flags, mode);
  int error = errno;
  ::close(root);
  errno = error;
  return fd;
}

std::optional<std::vector<uint8_t>> readFileInside(const std::string& folder,
                                                   const std::string& path, std::string* reason,
                                                   std::size_t maxBytes) {
  int fd = openInside(folder, path, O_RDONLY | O_NONBLOCK);
  if (fd < 0) {
    if (reason) *reason = std::strerror(errno);
    return std::nullopt;
  }
  struct stat info {};
  std::vector<uint8_t> bytes;
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            static_cast<std::uint64_t>(info.st_size) <= maxBytes;
  if (ok) {
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
      ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      ok = n > 0;
      if (ok) done += static_cast<std::size_t>(n);
    }
  } else if (reason) {
    *reason = !S_ISREG(info.st_mode) ? "is not a regular file" : "is too large";
  }
  if (!ok && reason && reason->empty()) *reason = "cannot be read";
  ::close(fd);
  if (!ok) return std::nullopt;
  return bytes;
}

int openFile(const std::string& realPath, int flags, mode_t mode) {
  if (auto relative = pathInDevice(realPath)) return openInRoot(*relative, flags, mode);
  return ::open(realPath.c_str(), flags | O_CLOEXEC, mode);
}

std::string linkTargetInDevice(const std::string& linkInDevice, const std::string& target,
                               bool* climbsOut) {
  std::vector<std::string> parts;
  bool climbed = false;
  auto walk = [&](const std::string& path) {
    std::size_t start = 0;
    while (start <= path.size()) {
      std::size_t slash = path.find('/', start);
      if (slash == std::string::npos) slash = path.size();
      std::string part = path.substr(start, slash - start);
      if (part == "..") {
        climbed = climbed || parts.empty();
        if (!parts.empty()) parts.pop_back();
      } else if (!part.empty() && part != ".") {
        parts.push_back(part);
      }
      start = slash + 1;
    }
  };
  if (target.empty() || target[0] != '/') {
    auto slash = linkInDevice.rfind('/');
    walk(slash == std::string::npos ? "" : linkInDevice.substr(0, slash));
  }
  walk(target);
  if (climbsOut) *climbsOut = climbed;
  std::string resolved;
  for (const auto& part : parts) resolved += (resolved.empty() ? "" : "/") + part;
  return resolved.empty() ? "." : resolved;
}

bool statFile(const std::string& realPath, struct stat* info) {
  int fd = openFile(realPath, O_PATH);
  if (fd < 0) return false;
  bool ok = ::fstat(fd, info) == 0;
  ::close(fd);
  return ok;
}

FolderEntry::FolderEntry(FolderEntry&& other) noexcept
    : folder_(other.folder_), name_(std::move(other.name_)) {
  other.folder_ = -1;
}

FolderEntry::~FolderEntry() {
  if (folder_ >= 0) ::close(folder_);
}

std::optional<FolderEntry> openFolderOf(const std::string& realPath) {
  auto [folder, name] = splitLast(realPath);
  if (name.empty() || name == "." || name == "..") {
    errno = EINVAL;
    return std::nullopt;
  }
  int fd = openFile(folder, O_PATH | O_DIRECTORY);
  if (fd < 0) return std::nullopt;
  return FolderEntry(fd, name);
}

bool createFolders(const std::string& realPath, std::string* reason) {
  int fd = openFile(realPath, O_PATH | O_DIRECTORY);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  if (errno != ENOENT) {
    if (reason) *reason = realPath + ": " + std::strerror(errno);
    return false;
  }
  auto [parent, name] = splitLast(realPath);
  if (parent == realPath || !createFolders(parent, reason)) return false;
  auto entry = openFolderOf(realPath);
  if (!entry || (::mkdirat(entry->folder(), name.c_str(), 0755) != 0 && errno != EEXIST)) {
    if (reason) *reason = realPath + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool removeFile(const std::string& realPath) {
  auto entry = openFolderOf(realPath);
  return entry && removeInside(entry->folder(), entry->name());
}

}  // namespace standin
