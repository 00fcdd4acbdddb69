// The root object. Objects are reference counted with shared_ptr; nil is an empty pointer.
//
// dealloc: an object made by make<T> or class_createInstance is sent `dealloc` through the
// runtime exactly once, when its last strong reference goes, before its C++ destructor runs. So a
// replacement of a host's dealloc runs whenever the host lets go of the object (a dismissed
// controller that nobody else holds, say), and can call the implementation it replaced; NSObject's
// own dealloc does nothing, and the C++ destructor frees the object whatever dealloc did. Inside
// dealloc, self is a pointer that owns nothing: weak references to the object are already empty,
// shared_from_this fails, and self must not be kept. Nobody else sends dealloc. A dealloc of
// another signature, or one that throws, is reported on standard error and the object is freed.
#pragma once

#include <any>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>

struct objc_class;
using Class = objc_class*;
class NSObject;
using id = std::shared_ptr<NSObject>;

class NSObject : public std::enable_shared_from_this<NSObject> {
 public:
  static Class class_();
  NSObject();
  explicit NSObject(Class cls);
  virtual ~NSObject();
  NSObject(const NSObject&) = delete;
  NSObject& operator=(const NSObject&) = delete;

  Class isa() const { return isa_; }
  // Value equality and hash, as isEqual: and hash; the root compares identity.
  virtual bool isEqual(const NSObject& other) const { return this == &other; }
  virtual std::size_t hash() const;
  virtual std::string description() const;
  // respondsToSelector:, which a class may narrow; by default the class's method table decides.
  virtual bool respondsToSelector(const struct objc_selector* sel) const;

  // The weak self of a live object, as an id.
  id self() { return shared_from_this(); }

 private:
  friend struct NSObjectInternals;
  Class isa_;
  std::mutex lock_;
  std::map<const void*, std::any> associated_;  // id or std::weak_ptr<NSObject>
  std::map<std::string, std::any> ivars_;
};

// The deleter of every object the runtime makes: sends dealloc, then deletes.
struct objc_deleter {
  void operator()(NSObject* obj) const noexcept;
};

// Makes objects with objc_deleter. A stand-in class whose runtime constructor (the one its
// factory calls with the class) is protected names objc_alloc a friend.
struct objc_alloc {
  template <class T, class... Args>
  static std::shared_ptr<T> make(Args&&... args) {
    return std::shared_ptr<T>(new T(std::forward<Args>(args)...), objc_deleter());
  }
};

// Makes an object of a stand-in class: make<UIImage>(...).
template <class T, class... Args>
std::shared_ptr<T> make(Args&&... args) {
  return objc_alloc::make<T>(std::forward<Args>(args)...);
}

// Checked downcast, nil when the object is not a T.
template <class T>
std::shared_ptr<T> cast(const id& obj) {
  return std::dynamic_pointer_cast<T>(obj);
}

// Declares the runtime class of a stand-in C++ class: Class T::class_() registers it once under
// its name, with its superclass registered first.
#define STANDIN_DEFINE_CLASS(T, Super)                                   \
  Class T::class_() {                                                    \
    static Class cls = objc_registerClass(#T, Super::class_(), nullptr); \
    return cls;                                                          \
  }
