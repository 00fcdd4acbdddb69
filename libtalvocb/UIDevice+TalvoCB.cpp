#include "UIDevice+TalvoCB.h"

#include "foundation/NSValueTypes.h"
#include "mobilegestalt/MobileGestalt.h"
#include "uikit/UIDevice.h"

namespace {
std::optional<std::string> gestaltString(const std::shared_ptr<UIDevice>& self,
                                         const char* question) {
  if (!self) return std::nullopt;  // a message to nil
  return stringValue(MGCopyAnswer(question));
}
}  // namespace

std::optional<std::string> UDID(const std::shared_ptr<UIDevice>& self) {
  return gestaltString(self, "UniqueDeviceID");
}

std::optional<std::string> serialNumber(const std::shared_ptr<UIDevice>& self) {
  return gestaltString(self, "SerialNumber");
}
