#include "foundation/NSFileManager.h"

#include <filesystem>
#include <system_error>

#include "foundation/Device.h"

namespace fs = std::filesystem;

NSFileManager& NSFileManager::defaultManager() {
  static NSFileManager manager;
  return manager;
}

bool NSFileManager::fileExistsAtPath(const std::string& path) const {
  return fileExistsAtPath(path, nullptr);
}

bool NSFileManager::fileExistsAtPath(const std::string& path, bool* isDirectory) const {
  std::error_code ec;
  fs::file_status status = fs::status(fileSystemRepresentation(path), ec);
  if (ec || !fs::exists(status)) return false;
  if (isDirectory) *isDirectory = fs::is_directory(status);
  return true;
}

bool NSFileManager::removeItemAtPath(const std::string& path, std::string* error) const {
  std::error_code ec;
  fs::path real = fileSystemRepresentation(path);
  if (!fs::exists(fs::symlink_status(real, ec))) {
    if (error)
      *error = "The file \xE2\x80\x9C" + real.filename().string() +
               "\xE2\x80\x9D doesn\xE2\x80\x99t exist.";
    return false;
  }
  fs::remove_all(real, ec);
  if (ec && error) *error = ec.message();
  return !ec;
}

bool NSFileManager::createDirectoryAtPath(const std::string& path, std::string* error) const {
  std::error_code ec;
  fs::create_directories(fileSystemRepresentation(path), ec);
  if (ec && error) *error = ec.message();
  return !ec;
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
