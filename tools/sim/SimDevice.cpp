#include "SimDevice.h"

#include <cstdio>
#include <filesystem>

#include "SimDeviceCopy.h"
#include "SimProcess.h"
#include "foundation/Device.h"

namespace fs = std::filesystem;

namespace simulator {

namespace {
std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}
}  // namespace

bool prepareSimDevice(const SimTools& tools, const SimProfile& phone, const std::string& root,
                      const std::string& device, const std::string& errors, std::string* failure) {
  std::error_code error;
  fs::create_directories(fs::path(errors).parent_path(), error);
  fs::create_directories(fs::path(device).parent_path(), error);
  if (root.empty()) {
    std::vector<std::string> argv = {tools.tool,  "--root",
                                     device,      "sample",
                                     "--version", phone.version,
                                     "--machine", phone.machine,
                                     "--width",   number(phone.width),
                                     "--height",  number(phone.height),
                                     "--scale",   number(phone.scale)};
    if (phone.rightToLeft) argv.push_back("--rtl");
    SimProcess sample(argv, errors);
    if (sample.finish(Clock::now() + std::chrono::seconds(60)) != 0) {
      *failure = "talvocb sample failed: " + sample.lastErrorLines(1) + " (see " + errors + ")";
      return false;
    }
    return true;
  }
  DeviceCopy copy = copyDevice(root, device);
  if (!copy.copied) {
    *failure = root + ": " + copy.failure;
    return false;
  }
  for (const std::string& line : copy.leftOut) {
    std::fprintf(stderr, "talvocb sim: not copied from %s: %s\n", root.c_str(), line.c_str());
  }
  std::string reason;
  DeviceProfile profile = standin::readProfile(device, &reason).value_or(DeviceProfile{});
  profile.systemVersion = phone.version;
  profile.machine = phone.machine;
  profile.width = phone.width;
  profile.height = phone.height;
  profile.scale = phone.scale;
  profile.deriveFromScreen();
  profile.layoutDirection = phone.rightToLeft ? 1 : 0;
  if (!standin::writeProfile(device, profile)) {
    *failure = "its profile cannot be written";
    return false;
  }
  return true;
}

}  // namespace simulator
