// A simulated device in a fresh temporary folder, entered for the rest of the benchmark process.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "foundation/Device.h"

inline std::string enterBenchDevice(const DeviceProfile& profile) {
  std::string pattern = (std::filesystem::temp_directory_path() / "talvocb-bench-XXXXXX").string();
  std::string root = ::mkdtemp(pattern.data());
  std::string error;
  standin::initDevice(root, profile, &error);
  standin::setDeviceRoot(root);
  return root;
}
