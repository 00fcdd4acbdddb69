#include "Utils/TalvoCBSettingsUtils.h"

#include <vector>

#include "TALCBSettings.h"
#include "TalvoCBUtils+Probes.h"
#include "foundation/NSValueTypes.h"
#include "kernel/sysctl.h"

std::string TalvoCBSettingsUtils::platform() {
  std::size_t size = 0;
  if (sysctlbyname("hw.machine", nullptr, &size, nullptr, 0) != 0 || size == 0) return "";
  std::vector<char> machine(size + 1, '\0');
  if (sysctlbyname("hw.machine", machine.data(), &size, nullptr, 0) != 0) return "";
  return std::string(machine.data());
}

std::string TalvoCBSettingsUtils::platformString() {
  std::string machine = platform();
  if (machine.rfind("iPod", 0) == 0) return "iPod";
  if (machine.rfind("iPad", 0) == 0) return "iPad";
  return machine;
}

bool TalvoCBSettingsUtils::isTalvoCBOn() {
  auto settings = NSDictionary::dictionaryWithContentsOfFile(TalvoCBSettingsFile::pathInHome());
  return settings && boolValue(settings->objectForKey("TalvoCBEnabled"));
}

bool TalvoCBSettingsUtils::isIOS_7() {
  return TalvoCBUtils::isIOS_7();
}
bool TalvoCBSettingsUtils::isIOS_8() {
  return TalvoCBUtils::isIOS_8();
}
