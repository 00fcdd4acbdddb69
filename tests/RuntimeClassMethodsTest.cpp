// Class methods: defined on the metaclass, inherited, replaced per class, sent by class name.
#include <gtest/gtest.h>

#include "runtime/objc.h"

namespace {

int baseMake(id, SEL, int x) {
  return x + 1;
}
Class (*whoAmIReceiver)(id, SEL);
Class whoAmI(id self, SEL) {
  return class_fromObject(self);
}
int (*replacedMake)(id, SEL, int);
int hookedMake(id self, SEL cmd, int x) {
  return replacedMake(self, cmd, x) * 10;
}
int derivedMakeCallingSuper(id self, SEL cmd, int x) {
  return objc_msgSendSuper<int(int)>(objc_getMetaClass("ClassMethodsDerivedSuper"), self, cmd, x) +
         100;
}

struct Pair {
  Class base, derived;
};
Pair makePair(const std::string& tag) {
  Class base = objc_registerClass(("ClassMethodsBase" + tag).c_str(), NSObject::class_());
  Class derived = objc_registerClass(("ClassMethodsDerived" + tag).c_str(), base);
  class_addMethod(object_getClass(base), sel_registerName("make:"), baseMake, "i@:i");
  class_addMethod(object_getClass(base), sel_registerName("whoAmI"), whoAmI, "#@:");
  return {base, derived};
}

}  // namespace

TEST(RuntimeClassMethods, InheritedSentByNameAndAnsweredByTheClass) {
  Pair p = makePair("Sent");
  EXPECT_TRUE(class_isMetaClass(object_getClass(p.base)));
  EXPECT_EQ(objc_getMetaClass("ClassMethodsDerivedSent"), object_getClass(p.derived));
  EXPECT_EQ(class_getSuperclass(object_getClass(p.derived)), object_getClass(p.base));

  EXPECT_EQ(objc_msgSendClass<int(int)>("ClassMethodsDerivedSent", "make:", 1), 2);
  // self is the class the message was sent to, also in an inherited method.
  EXPECT_EQ(objc_msgSendClass<Class()>(p.derived, "whoAmI"), p.derived);
  EXPECT_EQ(objc_msgSendClass<Class()>(p.base, "whoAmI"), p.base);

  SEL make = sel_registerName("make:");
  EXPECT_TRUE(respondsToSelector(objc_classObject(p.derived), make));
  EXPECT_FALSE(respondsToSelector(class_createInstance(p.derived), make));  // not an instance's
  EXPECT_FALSE(respondsToSelector(objc_classObject(p.derived), sel_registerName("nothing")));
  EXPECT_EQ(class_fromObject(class_createInstance(p.derived)), nullptr);
  EXPECT_EQ(class_createInstance(object_getClass(p.derived)), nullptr);

  // An absent class answers zero, as nil does; a wrong signature is refused with "+[".
  EXPECT_EQ(objc_msgSendClass<int(int)>("ClassMethodsNotHere", "make:", 1), 0);
  try {
    objc_msgSendClass<long(long)>(p.derived, "make:", 1L);
    ADD_FAILURE() << "a long call of an int method went through";
  } catch (const objc_runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("+[ClassMethodsDerivedSent make:]"), std::string::npos)
        << error.what();
  }
}

TEST(RuntimeClassMethods, ReplacedOnOneClassLeavesItsSuperclassAlone) {
  Pair p = makePair("Hook");
  MSHookMessageEx(objc_getMetaClass("ClassMethodsDerivedHook"), sel_registerName("make:"),
                  hookedMake, &replacedMake);
  ASSERT_EQ(replacedMake, baseMake);
  EXPECT_EQ(objc_msgSendClass<int(int)>(p.derived, "make:", 1), 20);
  EXPECT_EQ(objc_msgSendClass<int(int)>(p.base, "make:", 1), 2);

  // Replacing an instance method of that name is another method: nothing to replace.
  int (*slot)(id, SEL, int) = baseMake;
  MSHookMessageEx(p.derived, sel_registerName("make:"), hookedMake, &slot);
  EXPECT_EQ(slot, nullptr);
  whoAmIReceiver = nullptr;
  MSHookMessageEx(object_getClass(p.derived), sel_registerName("whoAmI"), whoAmI, &whoAmIReceiver);
  EXPECT_EQ(whoAmIReceiver, whoAmI);
}

TEST(RuntimeClassMethods, SuperFromAClassMethodReachesTheSuperclassMethod) {
  Pair p = makePair("Super");
  class_addMethod(object_getClass(p.derived), sel_registerName("make:"), derivedMakeCallingSuper,
                  "i@:i");
  EXPECT_EQ(objc_msgSendClass<int(int)>(p.derived, "make:", 1), 102);
  EXPECT_EQ(objc_msgSendClass<int(int)>(p.base, "make:", 1), 2);
}
