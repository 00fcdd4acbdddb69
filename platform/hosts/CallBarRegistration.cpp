// CallBar's classes, registered together by a host program that has CallBar installed.
#include "foundation/Device.h"
#include "foundation/NSValueTypes.h"
#include "hosts/CallBarParts.h"
#include "hosts/HostClasses.h"
#include "uikit/UIDevice.h"

namespace callbar {

bool systemVersionAtLeast(double version) {
  return NSStringDoubleValue(sim::deviceProfile().systemVersion) >= version;
}

bool rightToLeft() {
  return UIApplication::sharedApplication()->userInterfaceLayoutDirection() ==
         UIUserInterfaceLayoutDirectionRightToLeft;
}

}  // namespace callbar

namespace sim::hosts {

void registerCallBarClasses() {
  callbar::registerCallRecordClasses();
  callbar::registerCallBarControllerClass();
  callbar::registerCallBarListClass();
  callbar::registerCallBarCellClass();
}

}  // namespace sim::hosts
