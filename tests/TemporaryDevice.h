// A simulated device in a fresh temporary folder, entered for this process for the test's
// lifetime.
#pragma once

#include <string>

#include "foundation/Device.h"

class TemporaryDevice {
 public:
  explicit TemporaryDevice(const DeviceProfile& profile = DeviceProfile());
  ~TemporaryDevice();
  TemporaryDevice(const TemporaryDevice&) = delete;
  TemporaryDevice& operator=(const TemporaryDevice&) = delete;

  const std::string& root() const { return root_; }
  // The real path of a device path.
  std::string real(const std::string& devicePath) const;
  // The settings file's real path.
  std::string settingsFile() const;
  void writeFile(const std::string& devicePath, const std::string& contents) const;
  std::string readFile(const std::string& devicePath) const;

 private:
  std::string root_;
};
