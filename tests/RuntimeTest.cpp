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
  // A read of another type is an error, not a quiet fallback.
  EXPECT_THROW(object_getIvar<std::string>(object, "_count", "wrong type"), objc_runtime_error);
}

namespace {
long noArgumentCalls = 0;
void countCall(id, SEL) {
  ++noArgumentCalls;
}
id answerSelf(id self, SEL) {
  return self;
}
int superGreet(id self, SEL cmd, int x) {
  return objc_msgSendSuper<int(int)>(objc_getClass("RuntimeDerivedSuper"), self, cmd, x) + 1000;
}
int (*replacedBySuperCaller)(id, SEL, int);
int hookCallingSuper(id self, SEL cmd, int x) {
  // From a replacement on RuntimeOtherSuper, super is RuntimeBaseSuper whatever was replaced.
  return objc_msgSendSuper<int(int)>(objc_getClass("RuntimeOtherSuper"), self, cmd, x) * 3;
}
}  // namespace

TEST(Runtime, InstanceVariablesKeepOneConventionAndRefuseOtherTypes) {
  id object = make<NSObject>();
  object_setInstanceVariable(object, "onlyMissed", true);
  object_setInstanceVariable(object, "_total", 5L);
  object_setInstanceVariable(object, "_entries", make<NSArray>());
  object_setInstanceVariable(object, "_nothing", nullptr);

  EXPECT_TRUE(object_getIvar<bool>(object, "onlyMissed"));
  // Integers are their width: a long, a long long and an int64_t are one type.
  EXPECT_EQ(object_getIvar<int64_t>(object, "_total"), 5);
  EXPECT_EQ(object_getIvar<long long>(object, "_total"), 5);
  // Objects are ids, readable as the class they are.
  EXPECT_TRUE(cast<NSArray>(object_getIvar<id>(object, "_entries")));
  EXPECT_TRUE(object_getIvar<std::shared_ptr<NSArray>>(object, "_entries"));
  EXPECT_EQ(object_getIvar<id>(object, "_nothing"), nullptr);

  try {
    object_getIvar<int>(object, "onlyMissed");  // a BOOL read as an int
    ADD_FAILURE() << "read a BOOL as an int";
  } catch (const objc_runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("onlyMissed"), std::string::npos) << error.what();
  }
  EXPECT_THROW(object_getIvar<int32_t>(object, "_total"), objc_runtime_error);
  EXPECT_THROW(object_getIvar<std::shared_ptr<NSDictionary>>(object, "_entries"),
               objc_runtime_error);

  // A missing variable or a nil object is not an error.
  std::shared_ptr<NSArray> entries;
  EXPECT_FALSE(object_getInstanceVariable(object, "_allEntries", &entries));
  EXPECT_TRUE(object_getInstanceVariable(object, "_entries", &entries));
  EXPECT_TRUE(entries);
  EXPECT_FALSE(object_getIvar<bool>(nullptr, "onlyMissed"));
}

TEST(Runtime, PerformSelectorWithNilReachesAMethodWithoutArgument) {
  Classes c = makeClasses("Perform");
  class_addMethod(c.base, sel_registerName("cleanupFavoritesButtons"), countCall, "v@:");
  class_addMethod(c.base, sel_registerName("me"), answerSelf, "@@:");
  id object = class_createInstance(c.derived);
  noArgumentCalls = 0;
  EXPECT_EQ(performSelector(object, sel_registerName("cleanupFavoritesButtons"), nullptr), nullptr);
  EXPECT_EQ(noArgumentCalls, 1);
  EXPECT_EQ(performSelector(object, sel_registerName("me"), nullptr), object);
  // An object that the method could not take is still an error.
  EXPECT_THROW(performSelector(object, sel_registerName("cleanupFavoritesButtons"), object),
               objc_runtime_error);
  EXPECT_EQ(noArgumentCalls, 1);
}

TEST(Runtime, SuperReachesTheSuperclassFromOverridesAndReplacements) {
  Classes c = makeClasses("Super");
  SEL greet = sel_registerName("greet:");
  class_addMethod(c.derived, greet, superGreet, "i@:i");
  EXPECT_EQ(objc_msgSend<int(int)>(class_createInstance(c.derived), greet, 1), 1002);

  // The replacement installed on "other" asks for super: the base's method, not itself.
  MSHookMessageEx(c.other, greet, hookCallingSuper, &replacedBySuperCaller);
  EXPECT_EQ(objc_msgSend<int(int)>(class_createInstance(c.other), greet, 1), 6);
  EXPECT_EQ(replacedBySuperCaller(class_createInstance(c.other), greet, 1), 2);

  // Checked like every send; nil answers zero; above the base there is no greet: at all.
  id object = class_createInstance(c.derived);
  EXPECT_THROW(objc_msgSendSuper<long(long)>(c.derived, object, greet, 1L), objc_runtime_error);
  EXPECT_EQ(objc_msgSendSuper<int(int)>(c.derived, nullptr, greet, 1), 0);
  EXPECT_THROW(objc_msgSendSuper<void()>(c.base, object, "greet:"), objc_runtime_error);
}
