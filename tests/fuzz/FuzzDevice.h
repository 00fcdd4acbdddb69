// The simulated device a fuzz target runs on: made once in a temporary folder, entered for the
// whole process and removed at exit.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/Device.h"

class FuzzDevice {
 public:
  static FuzzDevice& shared(const DeviceProfile& profile = DeviceProfile()) {
    static FuzzDevice device(profile);
    return device;
  }
  const std::string& root() const { return root_; }
  std::string real(const std::string& devicePath) const { return root_ + devicePath; }
  // Replaces the file at the device path with the bytes, making its folder when needed.
  void write(const std::string& devicePath, const uint8_t* data, std::size_t size) const {
    std::filesystem::path path = real(devicePath);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }

 private:
  explicit FuzzDevice(const DeviceProfile& profile) {
    std::string pattern = (std::filesystem::temp_directory_path() / "talvocb-fuzz-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    std::string error;
    if (!standin::initDevice(root_, profile, &error)) std::abort();
    standin::setDeviceRoot(root_);
  }
  ~FuzzDevice() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  std::string root_;
};
