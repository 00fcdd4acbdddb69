#include "SimDeviceCopy.h"

#include <filesystem>
#include <system_error>

#include "foundation/DeviceFiles.h"

namespace fs = std::filesystem;

namespace simulator {
namespace {

// The relative link from the folder of `from` to `to`, both relative to the device root.
std::string relativeLink(const std::string& from, const std::string& to) {
  fs::path folder = fs::path(from).parent_path();
  fs::path link = fs::path(to).lexically_relative(folder.empty() ? fs::path(".") : folder);
  return link.empty() ? "." : link.string();
}

}  // namespace

DeviceCopy copyDevice(const std::string& source, const std::string& destination) {
  DeviceCopy result;
  std::error_code error;
  if (!fs::is_directory(fs::symlink_status(source, error))) {
    result.failure = source + ": is not a folder";
    return result;
  }
  fs::create_directories(destination, error);
  if (error) {
    result.failure = destination + ": " + error.message();
    return result;
  }
  fs::recursive_directory_iterator walk(source, error), end;
  for (; !error && walk != end; walk.increment(error)) {
    const fs::path relative = walk->path().lexically_relative(source);
    const fs::path target = fs::path(destination) / relative;
    const fs::file_status status = walk->symlink_status(error);
    if (error) break;
    if (fs::is_symlink(status)) {
      bool climbsOut = false;
      std::string leadsTo = standin::linkTargetInDevice(
          relative.string(), fs::read_symlink(walk->path(), error).string(), &climbsOut);
      if (error) break;
      if (climbsOut) {
        result.leftOut.push_back(relative.string() + ": a link that leads out of the device");
        continue;
      }
      fs::create_symlink(relativeLink(relative.string(), leadsTo), target, error);
    } else if (fs::is_directory(status)) {
      fs::create_directory(target, error);
    } else if (fs::is_regular_file(status)) {
      fs::copy_file(walk->path(), target, error);
    } else {
      result.leftOut.push_back(relative.string() + ": neither a folder, a file nor a link");
    }
    if (error) break;
  }
  if (error) {
    result.failure = error.message();
    return result;
  }
  result.copied = true;
  return result;
}

}  // namespace simulator
