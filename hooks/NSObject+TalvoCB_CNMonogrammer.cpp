#include "NSObject+TalvoCB_CNMonogrammer.h"

#include "foundation/NSValueTypes.h"

namespace {
const void* flagKey() {
  return sel_registerName("__talvoIgnoreCurrentTalvoDrawing");
}
}  // namespace

bool __talvoIgnoreCurrentTalvoDrawing(const id& object) {
  return boolValue(objc_getAssociatedObject(object, flagKey()));
}

void set__talvoIgnoreCurrentTalvoDrawing(const id& object, bool value) {
  objc_setAssociatedObject(object, flagKey(), NSNumber::numberWithBool(value),
                           OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}
