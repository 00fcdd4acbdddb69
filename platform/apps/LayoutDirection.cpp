#include "apps/LayoutDirection.h"

#include "uikit/UIDevice.h"

namespace apps {

bool rightToLeft() {
  return UIApplication::sharedApplication()->userInterfaceLayoutDirection() ==
         UIUserInterfaceLayoutDirectionRightToLeft;
}

}  // namespace apps
