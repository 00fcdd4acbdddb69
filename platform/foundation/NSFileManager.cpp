#include "foundation/NSFileManager.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "foundation/Device.h"
#include "foundation/DeviceFiles.h"

namespace fs = std::filesystem;

// Never destroyed, as the device state: workers may use it while the process exits.
NSFileManager& NSFileManager::defaultManager() {
  static auto* manager = new NSFileManager;
  return *manager;
}

bool NSFileManager::fileExistsAtPath(const std::string& path) const {
  return fileExistsAtPath(path, nullptr);
}

bool NSFileManager::fileExistsAtPath(const std::string& path, bool* isDirectory) const {
  struct stat info {};
  if (!standin::statFile(fileSystemRepresentation(path), &info)) return false;
  if (isDirectory) *isDirectory = S_ISDIR(info.st_mode);
  return true;
}

bool NSFileManager::removeItemAtPath(const std::string& path, std::string* error) const {
  std::string real = fileSystemRepresentation(path);
  if (!standin::removeFile(real)) {
    if (error && errno == ENOENT) {
      *error = "The file \xE2\x80\x9C" + fs::path(real).filename().string() +
               "\xE2\x80\x9D doesn\xE2\x80\x99t exist.";
    } else if (error) {
      *error = std::strerror(errno);
    }
    return false;
  }
  return true;
}

bool NSFileManager::createDirectoryAtPath(const std::string& path, std::string* error) const {
  std::string reason;
  if (standin::createFolders(fileSystemRepresentation(path), &reason)) return true;
  if (error) *error = reason;
  return false;
}

std::string stringByAppendingPathComponent(const std::string& path, const std::string& component) {
  if (path.empty()) return component;
  if (component.empty()) return path;
  std::string base = path;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  std::string tail = component;
  while (!tail.empty() && tail.front() == '/') tail.erase(tail.begin());
  return base == "/" ? "/" + tail : base + "/" + tail;
}
