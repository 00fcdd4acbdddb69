#include "NSObject+TalvoCB1.h"

#include "foundation/NSValueTypes.h"

namespace {
// The association key is the address of this constant, the same in every caller.
const char kTalvoCBContactIDKey[] = "TalvoCB_ContactID";
}  // namespace

long TalvoCB_contactID(const id& self) {
  return static_cast<long>(integerValue(objc_getAssociatedObject(self, kTalvoCBContactIDKey)));
}

void setTalvoCB_contactID(const id& self, long contactID) {
  objc_setAssociatedObject(self, kTalvoCBContactIDKey, NSNumber::numberWithInteger(contactID),
                           OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}
