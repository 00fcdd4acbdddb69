#include "foundation/NSBundle.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>

#include "foundation/Device.h"
#include "foundation/DeviceFiles.h"
#include "foundation/NSStringsFile.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

STANDIN_DEFINE_CLASS(NSBundle, NSObject)

namespace {
// Text tables are small; a larger file is no table.
constexpr off_t kMaxStringsBytes = 1 << 20;

bool isRegularFile(const std::string& devicePath, off_t* size = nullptr) {
  struct stat info {};
  if (!standin::statFile(fileSystemRepresentation(devicePath), &info)) return false;
  if (size) *size = info.st_size;
  return S_ISREG(info.st_mode);
}

std::string join(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

// Names that would leave the bundle's folder.
bool climbsOut(const std::string& name) {
  return name.starts_with("/") || name == ".." || name.starts_with("../") ||
         name.find("/../") != std::string::npos || name.ends_with("/..");
}
}  // namespace

NSBundle::NSBundle(std::string path, bool isMain)
    : NSObject(class_()), path_(std::move(path)), isMain_(isMain) {}

NSBundle& NSBundle::mainBundle() {
  // The host's working directory, which is the device root.
  static auto bundle = make<NSBundle>("/", true);
  return *bundle;
}

std::shared_ptr<NSBundle> NSBundle::bundleWithPath(const std::string& path) {
  struct stat info {};
  if (path.empty() || !standin::statFile(fileSystemRepresentation(path), &info) ||
      !S_ISDIR(info.st_mode)) {
    return nullptr;
  }
  return make<NSBundle>(path);
}

std::optional<std::string> NSBundle::bundleIdentifier() const {
  if (isMain_) return mainBundleIdentifier();
  auto info = NSDictionary::dictionaryWithContentsOfFile(join(path_, "Info.plist"));
  return info ? stringValue(info->objectForKey("CFBundleIdentifier")) : std::nullopt;
}

std::optional<std::string> NSBundle::pathForResource(const std::string& name,
                                                     const std::optional<std::string>& type) const {
  if (name.empty() || climbsOut(name)) return std::nullopt;
  std::string extension = type && !type->empty() ? "." + *type : "";
  double scale = standin::deviceProfile().scale;
  int screenScale = std::isfinite(scale) ? static_cast<int>(std::min(scale, 3.0)) : 1;
  for (int s = screenScale; s >= 2; --s) {
    std::string path = join(path_, name + "@" + std::to_string(s) + "x" + extension);
    if (isRegularFile(path)) return path;
  }
  std::string path = join(path_, name + extension);
  if (isRegularFile(path)) return path;
  return std::nullopt;
}

std::string NSBundle::localizedStringForKey(const std::string& key,
                                            const std::optional<std::string>& value,
                                            const std::optional<std::string>& table) const {
  std::string file = (table && !table->empty() ? *table : "Localizable") + ".strings";
  if (!climbsOut(file)) {
    for (const char* folder : {"en.lproj", "English.lproj", "Base.lproj", ""}) {
      std::string path = join(*folder ? join(path_, folder) : path_, file);
      off_t size = 0;
      if (!isRegularFile(path, &size) || size > kMaxStringsBytes) continue;
      auto bytes = readRealFile(fileSystemRepresentation(path));
      auto entries = bytes ? parseStringsFile(*bytes) : std::nullopt;
      if (!entries) continue;
      auto found = entries->find(key);
      if (found != entries->end()) return found->second;
      break;  // the first table that reads is the one that answers
    }
  }
  return value && !value->empty() ? *value : key;
}
