// dealloc is sent through the runtime once, when the last strong reference goes.
#include <gtest/gtest.h>

#include "runtime/objc.h"

namespace {

struct Record {
  int baseCalls = 0;
  int replacementCalls = 0;
  bool weakWasEmpty = false;
  std::weak_ptr<NSObject> watched;
} record;

void baseDealloc(id self, SEL) {
  ++record.baseCalls;
  record.weakWasEmpty = record.watched.expired();
  // A dying object still answers messages and its variables.
  EXPECT_EQ(object_getIvar<int32_t>(self, "_value"), 7);
}
void (*replacedDealloc)(id, SEL);
void hookedDealloc(id self, SEL cmd) {
  ++record.replacementCalls;
  replacedDealloc(self, cmd);
}
long wrongDealloc(id, SEL) {
  return 1;
}

}  // namespace

TEST(Dealloc, SentOnceAtTheLastReferenceAndReplaceable) {
  Class base = objc_registerClass("DeallocBase", NSObject::class_());
  Class derived = objc_registerClass("DeallocDerived", base);
  class_addMethod(base, sel_registerName("dealloc"), baseDealloc, "v@:");
  MSHookMessageEx(derived, sel_registerName("dealloc"), hookedDealloc, &replacedDealloc);
  ASSERT_EQ(replacedDealloc, baseDealloc);

  record = {};
  {
    id object = class_createInstance(derived);
    object_setInstanceVariable(object, "_value", 7);
    record.watched = object;
    id second = object;
    object.reset();
    EXPECT_EQ(record.replacementCalls, 0);  // still held
  }
  EXPECT_EQ(record.replacementCalls, 1);
  EXPECT_EQ(record.baseCalls, 1);  // the replaced implementation ran too
  EXPECT_TRUE(record.weakWasEmpty);

  // The base class alone: its own dealloc, the replacement on the subclass does not run.
  record = {};
  {
    id object = class_createInstance(base);
    object_setInstanceVariable(object, "_value", 7);
  }
  EXPECT_EQ(record.baseCalls, 1);
  EXPECT_EQ(record.replacementCalls, 0);
}

TEST(Dealloc, ADeallocOfAnotherTypeIsSkippedAndTheObjectStillFreed) {
  Class odd = objc_registerClass("DeallocOdd", NSObject::class_());
  class_addMethod(odd, sel_registerName("dealloc"), wrongDealloc, "q@:");
  std::weak_ptr<NSObject> watched;
  {
    id object = class_createInstance(odd);
    watched = object;
  }
  EXPECT_TRUE(watched.expired());
}
