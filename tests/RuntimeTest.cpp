// The object runtime: dispatch through the class chain, replacement, added methods, checks.
#include <gtest/gtest.h>

#include "foundation/NSValueTypes.h"
#include "runtime/objc.h"

namespace {

int baseGreet(id, SEL, int x) {
  return x + 1;
}
int subclassGreet(id, SEL, int x) {
  return x + 100;
}
int (*replacedGreet)(id, SEL, int);
int hookedGreet(id self, SEL cmd, int x) {
  return replacedGreet(self, cmd, x) * 10;
}
long wrongSignature(id, SEL, long x) {
  return x;
}
void noteAdded(id, SEL) {}

struct Classes {
  Class base, derived, other;
};

// Fresh classes per test, so that replacements do not leak between tests.
Classes makeClasses(const std::string& tag) {
  Class base = objc_registerClass(("RuntimeBase" + tag).c_str(), NSObject::class_());
  Class derived = objc_registerClass(("RuntimeDerived" + tag).c_str(), base);
  Class other = objc_registerClass(("RuntimeOther" + tag).c_str(), base);
  class_addMethod(base, sel_registerName("greet:"), baseGreet, "i@:i");
  return {base, derived, other};
}

}  // namespace

TEST(Runtime, MessagesFollowTheClassChainAndCheckTheSignature) {
  Classes c = makeClasses("Chain");
  id object = class_createInstance(c.derived);
  EXPECT_STREQ(object_getClassName(object), "RuntimeDerivedChain");
  EXPECT_EQ(objc_getClass("RuntimeDerivedChain"), c.derived);
  EXPECT_EQ(objc_getClass("NoSuchClass"), nullptr);
  EXPECT_TRUE(isKindOfClass(object, c.base));
  EXPECT_FALSE(isKindOfClass(object, c.other));
  EXPECT_TRUE(respondsToSelector(object, sel_registerName("greet:")));
  EXPECT_FALSE(respondsToSelector(object, sel_registerName("wave")));
  EXPECT_EQ(objc_msgSend<int(int)>(object, "greet:", 1), 2);

  EXPECT_THROW(objc_msgSend<long(long)>(object, "greet:", 1L), objc_runtime_error);
  EXPECT_THROW(objc_msgSend<void()>(object, "wave"), objc_runtime_error);
  EXPECT_EQ(objc_msgSend<int(int)>(nullptr, "greet:", 1), 0);  // nil answers zero
}

TEST(Runtime, HookingAnInheritedMethodReplacesItOnTheNamedClassOnly) {
  Classes c = makeClasses("Hook");
  MSHookMessageEx(c.derived, sel_registerName("greet:"), hookedGreet, &replacedGreet);
  ASSERT_EQ(replacedGreet, baseGreet);
  EXPECT_EQ(objc_msgSend<int(int)>(class_createInstance(c.derived), "greet:", 1), 20);
  EXPECT_EQ(objc_msgSend<int(int)>(class_createInstance(c.base), "greet:", 1), 2);
  EXPECT_EQ(objc_msgSend<int(int)>(class_createInstance(c.other), "greet:", 1), 2);

  // A replacement of the wrong type is refused loudly and changes nothing.
  long (*slot)(id, SEL, long) = nullptr;
  EXPECT_THROW(MSHookMessageEx(c.other, sel_registerName("greet:"), wrongSignature, &slot),
               objc_runtime_error);
  EXPECT_EQ(objc_msgSend<int(int)>(class_createInstance(c.other), "greet:", 1), 2);
}

TEST(Runtime, AbsentClassOrSelectorChangesNothing) {
  Classes c = makeClasses("Absent");
  int (*slot)(id, SEL, int) = subclassGreet;
  MSHookMessageEx(objc_getClass("NotInThisProcess"), sel_registerName("greet:"), hookedGreet,
                  &slot);
  EXPECT_EQ(slot, nullptr);
  slot = subclassGreet;
  MSHookMessageEx(c.base, sel_registerName("notAMethod:"), hookedGreet, &slot);
  EXPECT_EQ(slot, nullptr);
  EXPECT_FALSE(class_respondsToSelector(c.base, sel_registerName("notAMethod:")));
  EXPECT_FALSE(class_addMethod(nullptr, sel_registerName("x"), noteAdded, "v@:"));
}

TEST(Runtime, AddMethodOnlyWhereTheClassItselfHasNone) {
  Classes c = makeClasses("Add");
  EXPECT_FALSE(class_addMethod(c.base, sel_registerName("greet:"), subclassGreet, "i@:i"));
  EXPECT_TRUE(class_addMethod(c.derived, sel_registerName("greet:"), subclassGreet, "i@:i"));
  EXPECT_EQ(objc_msgSend<int(int)>(class_createInstance(c.derived), "greet:", 1), 101);
  EXPECT_EQ(class_getOwnMethod(c.derived, sel_registerName("greet:"))->types, "i@:i");
}

TEST(Runtime, AssociatedObjectsAndInstanceVariables) {
  id object = make<NSObject>();
  static const char key = 0;
  EXPECT_EQ(objc_getAssociatedObject(object, &key), nullptr);
  {
    id value = NSNumber::numberWithInt(7);
    objc_setAssociatedObject(object, &key, value, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  }
  // Retained: the value outlives the caller's reference.
  EXPECT_EQ(integerValue(objc_getAssociatedObject(object, &key)), 7);
  objc_setAssociatedObject(object, &key, NSNumber::numberWithInt(8),
                           OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  EXPECT_EQ(integerValue(objc_getAssociatedObject(object, &key)), 8);
  {
    id weakly = make<NSObject>();
    objc_setAssociatedObject(object, &key, weakly, OBJC_ASSOCIATION_ASSIGN);
  }
  EXPECT_EQ(objc_getAssociatedObject(object, &key), nullptr);

  object_setInstanceVariable(object, "_count", 3);
  EXPECT_EQ(object_getIvar<int>(object, "_count"), 3);
  EXPECT_EQ(object_getIvar<int>(object, "_missing", -1), -1);
  EXPECT_EQ(object_getIvar<std::string>(object, "_count", "wrong type"), "wrong type");
}
