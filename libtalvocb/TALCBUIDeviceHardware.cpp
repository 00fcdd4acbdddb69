#include "TALCBUIDeviceHardware.h"

#include <vector>

#include "kernel/sysctl.h"

STANDIN_DEFINE_CLASS(TALCBUIDeviceHardware, NSObject)

std::string TALCBUIDeviceHardware::platform() const {
  std::size_t size = 0;
  if (sysctlbyname("hw.machine", nullptr, &size, nullptr, 0) != 0 || size == 0) return "";
  std::vector<char> machine(size);
  if (sysctlbyname("hw.machine", machine.data(), &size, nullptr, 0) != 0) return "";
  machine.back() = '\0';
  return machine.data();
}

std::string TALCBUIDeviceHardware::platformString() const {
  return platformString(platform());
}

std::string TALCBUIDeviceHardware::platformString(const std::string& machine) {
  auto begins = [&](const char* prefix) { return machine.rfind(prefix, 0) == 0; };
  if (machine == "iPhone1,1") return "iPhone 1G";
  if (machine == "iPhone1,2") return "iPhone 3G";
  if (machine == "iPhone2,1") return "iPhone 3GS";
  if (begins("iPhone3")) return "iPhone 4";
  if (begins("iPod")) return "iPod";
  if (begins("iPad")) return "iPad";
  if (machine == "i386") return "Simulator";
  return machine;
}
