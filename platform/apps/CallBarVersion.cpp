#include "apps/CallBarVersion.h"

#include "foundation/Device.h"
#include "foundation/NSValueTypes.h"

namespace callbar {

bool systemVersionAtLeast(double version) {
  return NSStringDoubleValue(standin::deviceProfile().systemVersion) >= version;
}

}  // namespace callbar
