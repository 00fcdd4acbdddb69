#include "mobilegestalt/MobileGestalt.h"

#include "foundation/Device.h"
#include "foundation/NSValueTypes.h"

id MGCopyAnswer(const std::string& question) {
  const DeviceProfile& profile = standin::deviceProfile();
  const std::string* answer = nullptr;
  if (question == "UniqueDeviceID") answer = &profile.uniqueIdentifier;
  if (question == "SerialNumber") answer = &profile.serialNumber;
  if (!answer || answer->empty()) return nullptr;
  return NSString::stringWithUTF8String(*answer);
}
