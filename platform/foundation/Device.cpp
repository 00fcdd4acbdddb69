#include "foundation/Device.h"

#include <filesystem>
#include <mutex>

#include "foundation/DeviceSQLite.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

namespace fs = std::filesystem;

namespace {

struct ProcessState {
  std::mutex lock;
  std::string root = "/";
  DeviceProfile profile;
  std::optional<std::string> bundleIdentifier;
};
// Never destroyed: picture workers still ask for the device root while the process exits.
ProcessState& state() {
  static auto* s = new ProcessState;
  return *s;
}

id number(double v) {
  return NSNumber::numberWithDouble(v);
}
id number(int v) {
  return NSNumber::numberWithInteger(v);
}
id boolean(bool v) {
  return NSNumber::numberWithBool(v);
}
id text(const std::string& v) {
  return NSString::stringWithUTF8String(v);
}

}  // namespace

void DeviceProfile::deriveFromScreen() {
  nativeWidth = width * scale;
  nativeHeight = height * scale;
  nativeScale = scale;
  screenAnswersNativeBounds = NSStringDoubleValue(systemVersion) >= 8.0;
}

namespace standin {

void setDeviceRoot(const std::string& folder) {
  confineSQLiteToDevice();
  std::string root = fs::absolute(folder).lexically_normal().string();
  if (root.size() > 1 && root.back() == '/') root.pop_back();
  std::optional<DeviceProfile> profile = readProfile(root);
  std::lock_guard guard(state().lock);
  state().root = root;
  state().profile = profile.value_or(DeviceProfile());
}

const std::string& deviceRoot() {
  return state().root;
}
const DeviceProfile& deviceProfile() {
  return state().profile;
}
void setDeviceProfile(const DeviceProfile& profile) {
  std::lock_guard guard(state().lock);
  state().profile = profile;
}

std::string profilePath(const std::string& root) {
  return root + "/DeviceProfile.plist";
}

std::optional<DeviceProfile> readProfile(const std::string& root) {
  return readProfile(root, nullptr);
}

std::optional<DeviceProfile> readProfile(const std::string& root, std::string* reason) {
  // The profile file is real-path I/O: it describes the device rather than living on it.
  id list = readPropertyListFile(profilePath(root), reason);
  auto dict = cast<NSDictionary>(list);
  if (!dict) {
    if (list && reason) *reason = "is not a dictionary";
    return std::nullopt;
  }
  DeviceProfile p;
  auto str = [&](const char* key, std::string& out) {
    if (auto v = stringValue(dict->objectForKey(key))) out = *v;
  };
  auto dbl = [&](const char* key, double& out) {
    if (id v = dict->objectForKey(key)) out = doubleValue(v);
  };
  auto integer = [&](const char* key, int& out) {
    if (id v = dict->objectForKey(key)) out = static_cast<int>(integerValue(v));
  };
  auto flag = [&](const char* key, bool& out) {
    if (id v = dict->objectForKey(key)) out = boolValue(v);
  };
  str("SystemVersion", p.systemVersion);
  str("Machine", p.machine);
  dbl("Scale", p.scale);
  dbl("Width", p.width);
  dbl("Height", p.height);
  p.deriveFromScreen();
  dbl("NativeWidth", p.nativeWidth);
  dbl("NativeHeight", p.nativeHeight);
  dbl("NativeScale", p.nativeScale);
  integer("Idiom", p.idiom);
  integer("LayoutDirection", p.layoutDirection);
  integer("StatusBarOrientation", p.statusBarOrientation);
  str("SerialNumber", p.serialNumber);
  str("UniqueDeviceID", p.uniqueIdentifier);
  str("Region", p.region);
  str("MailAccount", p.mailAccount);
  flag("ScreenAnswersNativeBounds", p.screenAnswersNativeBounds);
  flag("ScreenAnswersDisplayLink", p.screenAnswersDisplayLink);
  flag("DeviceAnswersIdiom", p.deviceAnswersIdiom);
  return p;
}

bool writeProfile(const std::string& root, const DeviceProfile& p) {
  auto dict = make<NSDictionary>();
  dict->setObject(text(p.systemVersion), "SystemVersion");
  dict->setObject(text(p.machine), "Machine");
  dict->setObject(number(p.scale), "Scale");
  dict->setObject(number(p.width), "Width");
  dict->setObject(number(p.height), "Height");
  dict->setObject(number(p.nativeWidth), "NativeWidth");
  dict->setObject(number(p.nativeHeight), "NativeHeight");
  dict->setObject(number(p.nativeScale), "NativeScale");
  dict->setObject(number(p.idiom), "Idiom");
  dict->setObject(number(p.layoutDirection), "LayoutDirection");
  dict->setObject(number(p.statusBarOrientation), "StatusBarOrientation");
  dict->setObject(text(p.serialNumber), "SerialNumber");
  dict->setObject(text(p.uniqueIdentifier), "UniqueDeviceID");
  dict->setObject(text(p.region), "Region");
  if (!p.mailAccount.empty()) dict->setObject(text(p.mailAccount), "MailAccount");
  dict->setObject(boolean(p.screenAnswersNativeBounds), "ScreenAnswersNativeBounds");
  dict->setObject(boolean(p.screenAnswersDisplayLink), "ScreenAnswersDisplayLink");
  dict->setObject(boolean(p.deviceAnswersIdiom), "DeviceAnswersIdiom");
  auto bytes = dataWithPropertyList(dict, NSPropertyListXMLFormat_v1_0);
  return bytes && writeRealFile(profilePath(root), *bytes, true);
}

bool initDevice(const std::string& root, const DeviceProfile& profile, std::string* error) {
  std::error_code ec;
  fs::path base = fs::absolute(root);
  for (const char* folder :
       {"private/var/mobile/Library/Preferences", "private/var/mobile/Library/AddressBook",
        "private/var/run", "tmp", "System/Library/PreferenceBundles"}) {
    fs::create_directories(base / folder, ec);
    if (ec) {
      if (error) *error = (base / folder).string() + ": " + ec.message();
      return false;
    }
  }
  // As on the device: /User and /var lead into /private/var.
  for (auto [link, target] : {std::pair{"User", "private/var/mobile"}, {"var", "private/var"}}) {
    if (!fs::is_symlink(base / link)) {
      fs::create_directory_symlink(target, base / link, ec);
      if (ec) {
        if (error) *error = (base / link).string() + ": " + ec.message();
        return false;
      }
    }
  }
  if (!writeProfile(base.string(), profile)) {
    if (error) *error = profilePath(base.string()) + ": cannot write the device profile";
    return false;
  }
  return true;
}

void setMainBundleIdentifier(std::optional<std::string> identifier) {
  std::lock_guard guard(state().lock);
  state().bundleIdentifier = std::move(identifier);
}

}  // namespace standin

std::string fileSystemRepresentation(const std::string& devicePath) {
  const std::string& root = standin::deviceRoot();
  if (root == "/") return devicePath;
  if (!devicePath.empty() && devicePath[0] == '/') return root + devicePath;
  return root + "/" + devicePath;
}

std::string NSHomeDirectory() {
  return "/var/mobile";
}

std::optional<std::string> NSBundle::mainBundleIdentifier() {
  std::lock_guard guard(state().lock);
  return state().bundleIdentifier;
}
