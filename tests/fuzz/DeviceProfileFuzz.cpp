// libFuzzer target of the device profile: any bytes as DeviceProfile.plist enter as a device
// (or as the default one), and every probe of the profile answers, a monogram draws at the
// profile's scale and a number formats in its region.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "TALCBUIDeviceHardware.h"
#include "TalvoCBUtils+Monograms.h"
#include "TalvoCBUtils+MonogramsInternal.h"
#include "TalvoCBUtils+PhoneFormatting.h"
#include "TalvoCBUtils+Probes.h"
#include "foundation/Device.h"
#include "fuzz/FuzzDevice.h"
#include "mobilegestalt/MobileGestalt.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  auto& device = FuzzDevice::shared();
  device.write("/DeviceProfile.plist", data, size);
  standin::setDeviceRoot(device.root());

  TalvoCBUtils::isIOS_7();
  TalvoCBUtils::isIOS_8();
  TalvoCBUtils::isIOS_9();
  TalvoCBUtils::isMatchingIOSFound("9.0");
  TalvoCBUtils::isRetinaDisplay();
  TalvoCBUtils::isIPhone4();
  TalvoCBUtils::isIPhone6OR6Plus();
  TalvoCBUtils::screenWidth();
  TalvoCBUtils::screenHeight();
  TALCBUIDeviceHardware().platformString();
  MGCopyAnswer("UniqueDeviceID");
  MGCopyAnswer("SerialNumber");
  TalvoCBUtils::getFormattedPhoneNumber(std::string("4155550123"));
  if (!TalvoCBUtils::monogramImage(std::string("AB"), 7, CGSizeMake(40, 40))) {
    std::fprintf(stderr, "no monogram on this device\n");
    std::abort();
  }
  return 0;
}
