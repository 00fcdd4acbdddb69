// The object runtime: classes registered by name, selectors, method tables looked up through the
// superclass chain, class methods, typed message sending (to super too), method replacement,
// added methods, instance variables. When dealloc is sent: see NSObject.h.
#pragma once

#include <any>
#include <atomic>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
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
  // A method that came with a system version exists only while this says so (nullptr: always).
  std::atomic<bool (*)()> available{nullptr};
};
using Method = const objc_method*;

// Raised when a message reaches an implementation of another signature, or no implementation.
class objc_runtime_error : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Classes. A class is registered once under its name; registering an existing name answers the
// class already there. Every class has a metaclass that holds its class methods: its superclass
// is the superclass's metaclass, and the root's metaclass inherits from the root class, as on the
// platform. A class is also an object (objc_classObject), the receiver of its class methods.
using objc_factory = std::shared_ptr<NSObject> (*)(Class cls);
Class objc_getClass(const char* name);
Class objc_getMetaClass(const char* name);
Class objc_registerClass(const char* name, Class superclass, objc_factory factory = nullptr);
const char* class_getName(Class cls);
Class class_getSuperclass(Class cls);
bool class_isMetaClass(Class cls);
// A new instance whose class is cls, made by the nearest factory up the superclass chain, so that
// a host subclass of a stand-in class is a real object of that stand-in (a plain NSObject when no
// class of the chain has a factory). Null for a metaclass. No init message is sent.
id class_createInstance(Class cls);
// The class as an object: self in its class methods. Lives as long as the process.
id objc_classObject(Class cls);
// The class that a class object stands for; null for any other object.
Class class_fromObject(const id& obj);

// The class's own method for the selector (not inherited), or null.
Method class_getOwnMethod(Class cls, SEL sel);
// The method found through the superclass chain, or null.
Method class_getInstanceMethod(Class cls, SEL sel);
IMP class_getMethodImplementation(Class cls, SEL sel);
bool class_respondsToSelector(Class cls, SEL sel);
// Makes the class's own method of the selector exist only while available() answers true, as a
// method that came with a later system version: lookups, sending and respondsToSelector: pass it
// by otherwise. The stand-in's way to follow the simulated device's version.
void class_setMethodAvailability(Class cls, SEL sel, bool (*available)());

Class object_getClass(const id& obj);
// The metaclass of a class (the root metaclass for a metaclass): where its class methods are
// defined and replaced, as in MSHookMessageEx(object_getClass(cls), ...).
Class object_getClass(Class cls);
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
// Sends dealloc to a dying object (see NSObject.h); objc_deleter calls it.
void sendDealloc(NSObject* obj) noexcept;

// Calls the method found from lookup (the receiver's class, or a superclass for a send to
// super), checking its signature; receiverClass names the method in errors.
template <class R, class... A>
R callFrom(Class lookup, Class receiverClass, const id& self, SEL sel, A... args) {
  Method m = class_getInstanceMethod(lookup, sel);
  if (!m) throwUnrecognized(receiverClass, sel);
  std::type_index expected = typeid(TypedIMP<R, A...>);
  if (m->signature != expected) throwMismatch(receiverClass, sel, m, expected);
  return reinterpret_cast<TypedIMP<R, A...>>(m->imp.load())(self, sel, args...);
}
}  // namespace objc_detail

// Adds an instance method when the class itself has none for the selector; answers whether it
// did. A null class or selector adds nothing. Types whose argument count differs from the
// selector's (one per ':') raise objc_runtime_error; empty or null types are not checked.
template <class R, class... A>
bool class_addMethod(Class cls, SEL sel, R (*imp)(id, SEL, A...), const char* types) {
  return objc_detail::addMethod(cls, sel, reinterpret_cast<IMP>(imp),
                                typeid(objc_detail::TypedIMP<R, A...>), types);
}

// Adds a class's instance methods by selector name, for the class's registration function:
// MethodAdder add{cls}; add("reloadData", reloadData, "v@:");
struct MethodAdder {
  Class cls;
  template <class R, class... A>
  void operator()(const char* selector, R (*imp)(id, SEL, A...), const char* types) const {
    class_addMethod(cls, sel_registerName(selector), imp, types);
  }
};

// The hooking framework's entry point. Replaces the instance method of the selector in the class
// (a class method when cls is a metaclass, see object_getClass) and stores the implementation it
// replaced in *result. Only cls is changed: its superclass keeps its own implementation. An absent
// class or selector changes nothing and leaves *result empty. A replacement of another signature
// than the method's is a programming error and raises objc_runtime_error.
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
    return objc_detail::callFrom<R, A...>(cls, cls, self, sel, args...);
  }
  // A send to super: the lookup starts at superclass, the receiver stays self.
  static R callSuper(Class superclass, const id& self, SEL sel, A... args) {
    if (!self || !superclass) return R();
    return objc_detail::callFrom<R, A...>(superclass, object_getClass(self), self, sel, args...);
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

// Class methods by class name: objc_msgSendClass<id(long)>("UIColor", "colorWithWhite:", 1L).
// An absent class answers a zero value, as a nil receiver does.
template <class F, class... Given>
decltype(auto) objc_msgSendClass(Class cls, const char* sel, Given&&... args) {
  return objc_send<F>::call(cls ? objc_classObject(cls) : id(), sel_registerName(sel),
                            std::forward<Given>(args)...);
}
template <class F, class... Given>
decltype(auto) objc_msgSendClass(const char* className, const char* sel, Given&&... args) {
  return objc_msgSendClass<F>(objc_getClass(className), sel, std::forward<Given>(args)...);
}

// [super sel ...] from an implementation that lives in currentClass (the class it was added to,
// or the class a replacement was installed on): the lookup starts at currentClass's superclass.
// For a class method, currentClass is the metaclass and self the class object.
template <class F, class... Given>
decltype(auto) objc_msgSendSuper(Class currentClass, const id& self, SEL sel, Given&&... args) {
  return objc_send<F>::callSuper(class_getSuperclass(currentClass), self, sel,
                                 std::forward<Given>(args)...);
}
template <class F, class... Given>
decltype(auto) objc_msgSendSuper(Class currentClass, const id& self, const char* sel,
                                 Given&&... args) {
  return objc_msgSendSuper<F>(currentClass, self, sel_registerName(sel),
                              std::forward<Given>(args)...);
}

// performSelector:, performSelector:withObject: — for methods that take objects and answer an
// object or nothing. As on the platform, a nil object may be sent to a method that takes no
// argument; a real object to such a method is a signature error.
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

// Instance variables by name, kept in one convention: objects as id, BOOL as bool, integers as
// the fixed-width type of their size and signedness (int32_t, int64_t, uint8_t...), anything else
// as its own type. Writes convert to the convention, so a long and a long long, or a
// shared_ptr<NSArray> and an id, are the same variable type. A read with a type of another
// convention raises objc_runtime_error naming the variable (an int read of a BOOL, say), as does
// an object read as shared_ptr<T> that is not a T. A nil object or a missing variable answers the
// fallback.
namespace objc_detail {
template <class T>
struct IvarConvention {
  using type = T;
};
template <class T>
requires(std::is_integral_v<T> && !std::is_same_v<T, bool>) struct IvarConvention<T> {
  using type = std::conditional_t<
      std::is_signed_v<T>,
      std::conditional_t<sizeof(T) == 1, int8_t,
                         std::conditional_t<sizeof(T) == 2, int16_t,
                                            std::conditional_t<sizeof(T) == 4, int32_t, int64_t>>>,
      std::conditional_t<
          sizeof(T) == 1, uint8_t,
          std::conditional_t<sizeof(T) == 2, uint16_t,
                             std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>>;
};
template <class T>
requires std::is_base_of_v<NSObject, T>
struct IvarConvention<std::shared_ptr<T>> {
  using type = id;
};
template <>
struct IvarConvention<std::nullptr_t> {
  using type = id;
};
template <class T>
using IvarType = typename IvarConvention<std::remove_cvref_t<T>>::type;

std::any getIvar(const id& obj, const char* name);
void setIvar(const id& obj, const char* name, std::any value);
[[noreturn]] void throwIvarMismatch(const id& obj, const char* name, const std::type_info& stored,
                                    const std::type_info& asked);

template <class T>
bool readIvar(const id& obj, const char* name, T* out) {
  using Stored = IvarType<T>;
  std::any value = getIvar(obj, name);
  if (!value.has_value()) return false;
  const Stored* typed = std::any_cast<Stored>(&value);
  if (!typed) throwIvarMismatch(obj, name, value.type(), typeid(Stored));
  if constexpr (std::is_same_v<Stored, id> && !std::is_same_v<std::remove_cvref_t<T>, id>) {
    using Object = typename std::remove_cvref_t<T>::element_type;
    auto object = std::dynamic_pointer_cast<Object>(*typed);
    if (*typed && !object) throwIvarMismatch(obj, name, typeid(**typed), typeid(Object));
    *out = std::move(object);
  } else {
    *out = static_cast<T>(*typed);
  }
  return true;
}
}  // namespace objc_detail

template <class T>
T object_getIvar(const id& obj, const char* name, T fallback = T()) {
  T value = std::move(fallback);
  objc_detail::readIvar(obj, name, &value);
  return value;
}
// As on the platform: answers whether the object has the variable, and reads it into *outValue.
template <class T>
bool object_getInstanceVariable(const id& obj, const char* name, T* outValue) {
  T value{};
  if (!objc_detail::readIvar(obj, name, &value)) return false;
  if (outValue) *outValue = std::move(value);
  return true;
}
template <class T>
void object_setInstanceVariable(const id& obj, const char* name, T value) {
  static_assert(!std::is_same_v<std::remove_cvref_t<T>, std::any>, "give the variable's type");
  objc_detail::setIvar(obj, name, std::any(objc_detail::IvarType<T>(std::move(value))));
}
template <class T>
void object_setIvar(const id& obj, const char* name, T value) {
  object_setInstanceVariable(obj, name, std::move(value));
}
