#include "NSObject+TalvoCB_CNMonogrammer.h"

#include "foundation/NSValueTypes.h"

namespace {
const void* flagKey() {
  return sel_registerName("__talvoIgnoreCurrentTalvoDrawing");
}
bool getterMethod(id self, SEL) {
  return __talvoIgnoreCurrentTalvoDrawing(self);
}
void setterMethod(id self, SEL, bool value) {
  set__talvoIgnoreCurrentTalvoDrawing(self, value);
}
}  // namespace

bool __talvoIgnoreCurrentTalvoDrawing(const id& object) {
  return boolValue(objc_getAssociatedObject(object, flagKey()));
}

void set__talvoIgnoreCurrentTalvoDrawing(const id& object, bool value) {
  objc_setAssociatedObject(object, flagKey(), NSNumber::numberWithBool(value),
                           OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}

void addTalvoCB_CNMonogrammerCategory() {
  Class root = objc_getClass("NSObject");
  class_addMethod(root, sel_registerName("__talvoIgnoreCurrentTalvoDrawing"), getterMethod, "B@:");
  class_addMethod(root, sel_registerName("set__talvoIgnoreCurrentTalvoDrawing:"), setterMethod,
                  "v@:B");
}
