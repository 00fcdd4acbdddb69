// The object runtime: classes registered by name, selectors, method tables looked up through the
// superclass chain, typed message sending, method replacement and added methods.
#pragma once

#include <any>
#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <vector>

#include "runtime/NSObject.h"

struct objc_selector;
using SEL = const objc_selector*;
using IMP = void (*)();
using BOOL = bool;
constexpr BOOL YES = true;
constexpr BOOL NO = false;

// Interned selectors: the same name always gives the same pointer.
SEL sel_registerName(const char* name);
const char* sel_getName(SEL sel);

// A method as the runtime keeps it: the untyped implementation, the C++ type of the function it
// really is, and the platform's type encoding.
struct objc_method {
  objc_method(IMP i, std::type_index s, std::string t)
      : imp(i), signature(s), types(std::move(t)) {}
  std::atomic<IMP> imp;  // swapped by MSHookMessageEx while others may be sending
  const std::type_index signature;
  const std::string types;
};
using Method = const objc_method*;

// Raised when a message reaches an implementation of another signature, or no implementation.
class objc_runtime_error : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Classes. A class is registered once under its name; registering an existing name answers the
// class already there. The factory makes instances for class_createInstance (inherited).
using objc_factory = std::shared_ptr<NSObject> (*)(Class cls);
Class objc_getClass(const char* name);
Class objc_registerClass(const char* name, Class superclass, objc_factory factory = nullptr);
const char* class_getName(Class cls);
Class class_getSuperclass(Class cls);
id class_createInstance(Class cls);

// The class's own method for the selector (not inherited), or null.
Method class_getOwnMethod(Class cls, SEL sel);
// The method found through the superclass chain, or null.
Method class_getInstanceMethod(Class cls, SEL sel);
IMP class_getMethodImplementation(Class cls, SEL sel);
bool class_respondsToSelector(Class cls, SEL sel);

Class object_getClass(const id& obj);
const char* object_getClassName(const id& obj);
bool isKindOfClass(const id& obj, Class cls);
bool respondsToSelector(const id& obj, SEL sel);

namespace objc_detail {
template <class R, class... A>
using TypedIMP = R (*)(id, SEL, A...);

std::string describeSignature(std::type_index signature);
bool addMethod(Class cls, SEL sel, IMP imp, std::type_index signature, const char* types);
// Replaces (or, for an inherited method, overrides on cls) the method; answers the previous
// implementation as seen from cls, or null when nothing was replaced.
IMP replaceMethod(Class cls, SEL sel, IMP imp, std::type_index signature);
[[noreturn]] void throwMismatch(Class cls, SEL sel, Method m, std::type_index expected);
[[noreturn]] void throwUnrecognized(Class cls, SEL sel);
}  // namespace objc_detail

// Adds an instance method when the class itself has none for the selector; answers whether it
// did. A null class or selector adds nothing.
template <class R, class... A>
bool class_addMethod(Class cls, SEL sel, R (*imp)(id, SEL, A...), const char* types) {
  return objc_detail::addMethod(cls, sel, reinterpret_cast<IMP>(imp),
                                typeid(objc_detail::TypedIMP<R, A...>), types);
}

// The hooking framework's entry point. Replaces the instance method of the selector in the class
// and stores the implementation it replaced in *result. An absent class or selector changes
// nothing and leaves *result empty. A replacement of another signature than the method's is a
// programming error and raises objc_runtime_error.
template <class R, class... A>
void MSHookMessageEx(Class cls, SEL sel, R (*replacement)(id, SEL, A...),
                     R (**result)(id, SEL, A...)) {
  IMP previous = objc_detail::replaceMethod(cls, sel, reinterpret_cast<IMP>(replacement),
                                            typeid(objc_detail::TypedIMP<R, A...>));
  if (result) *result = reinterpret_cast<R (*)(id, SEL, A...)>(previous);
}

// Typed message sending: objc_msgSend<void(id)>(controller, sel, call). A nil receiver answers a
// zero value, as on the platform; an unknown selector or another signature raises.
template <class F>
struct objc_send;
template <class R, class... A>
struct objc_send<R(A...)> {
  static R call(const id& self, SEL sel, A... args) {
    if (!self) return R();
    Class cls = object_getClass(self);
    Method m = class_getInstanceMethod(cls, sel);
    if (!m) objc_detail::throwUnrecognized(cls, sel);
    std::type_index expected = typeid(objc_detail::TypedIMP<R, A...>);
    if (m->signature != expected) objc_detail::throwMismatch(cls, sel, m, expected);
    return reinterpret_cast<objc_detail::TypedIMP<R, A...>>(m->imp.load())(self, sel, args...);
  }
};
template <class F, class... Given>
decltype(auto) objc_msgSend(const id& self, SEL sel, Given&&... args) {
  return objc_send<F>::call(self, sel, std::forward<Given>(args)...);
}
template <class F, class... Given>
decltype(auto) objc_msgSend(const id& self, const char* sel, Given&&... args) {
  return objc_send<F>::call(self, sel_registerName(sel), std::forward<Given>(args)...);
}

// performSelector:, performSelector:withObject: — for methods that take objects and answer an
// object or nothing.
id performSelector(const id& obj, SEL sel);
id performSelector(const id& obj, SEL sel, const id& withObject);

// Associated objects.
enum objc_AssociationPolicy {
  OBJC_ASSOCIATION_ASSIGN = 0,
  OBJC_ASSOCIATION_RETAIN_NONATOMIC = 1,
  OBJC_ASSOCIATION_COPY_NONATOMIC = 3,
  OBJC_ASSOCIATION_RETAIN = 01401,
  OBJC_ASSOCIATION_COPY = 01403,
};
void objc_setAssociatedObject(const id& obj, const void* key, const id& value,
                              objc_AssociationPolicy policy);
id objc_getAssociatedObject(const id& obj, const void* key);

// Instance variables by name. An object without the variable answers an empty value.
std::any object_getInstanceVariable(const id& obj, const char* name);
void object_setInstanceVariable(const id& obj, const char* name, std::any value);
template <class T>
T object_getIvar(const id& obj, const char* name, T fallback = T()) {
  std::any value = object_getInstanceVariable(obj, name);
  if (const T* typed = std::any_cast<T>(&value)) return *typed;
  return fallback;
}
