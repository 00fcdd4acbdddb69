#include "TemporaryDevice.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

TemporaryDevice::TemporaryDevice(const DeviceProfile& profile) {
  std::string pattern = (std::filesystem::temp_directory_path() / "talvocb-device-XXXXXX").string();
  root_ = ::mkdtemp(pattern.data());
  std::string error;
  EXPECT_TRUE(standin::initDevice(root_, profile, &error)) << error;
  standin::setDeviceRoot(root_);
}

TemporaryDevice::~TemporaryDevice() {
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
}

std::string TemporaryDevice::real(const std::string& devicePath) const {
  return root_ + (devicePath.starts_with("/") ? "" : "/") + devicePath;
}

std::string TemporaryDevice::settingsFile() const {
  return real("/private/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist");
}

void TemporaryDevice::writeFile(const std::string& devicePath, const std::string& contents) const {
  std::filesystem::create_directories(std::filesystem::path(real(devicePath)).parent_path());
  std::ofstream(real(devicePath), std::ios::binary) << contents;
}

std::string TemporaryDevice::readFile(const std::string& devicePath) const {
  std::ifstream in(real(devicePath), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
