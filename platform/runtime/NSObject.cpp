#include "runtime/NSObject.h"

#include <cstdio>
#include <functional>

#include "runtime/objc.h"

namespace {
// The end of every dealloc chain; the C++ destructor frees the object afterwards.
void rootDealloc(id, SEL) {}
}  // namespace

Class NSObject::class_() {
  static Class cls = [] {
    Class root = objc_registerClass("NSObject", nullptr, nullptr);
    class_addMethod(root, sel_registerName("dealloc"), rootDealloc, "v@:");
    return root;
  }();
  return cls;
}

NSObject::NSObject() : isa_(NSObject::class_()) {}
NSObject::NSObject(Class cls) : isa_(cls ? cls : NSObject::class_()) {}
NSObject::~NSObject() = default;

std::size_t NSObject::hash() const {
  return std::hash<const void*>()(this);
}

std::string NSObject::description() const {
  char text[96];
  std::snprintf(text, sizeof text, "<%s: %p>", class_getName(isa_), static_cast<const void*>(this));
  return text;
}

bool NSObject::respondsToSelector(const objc_selector* sel) const {
  return class_respondsToSelector(isa_, sel);
}

struct NSObjectInternals {
  static std::mutex& lock(NSObject& obj) { return obj.lock_; }
  static std::map<const void*, std::any>& associated(NSObject& obj) { return obj.associated_; }
  static std::map<std::string, std::any>& ivars(NSObject& obj) { return obj.ivars_; }
};

void objc_setAssociatedObject(const id& obj, const void* key, const id& value,
                              objc_AssociationPolicy policy) {
  if (!obj || !key) return;
  std::lock_guard guard(NSObjectInternals::lock(*obj));
  auto& table = NSObjectInternals::associated(*obj);
  if (!value) {
    table.erase(key);
  } else if (policy == OBJC_ASSOCIATION_ASSIGN) {
    table[key] = std::weak_ptr<NSObject>(value);
  } else {
    table[key] = value;
  }
}

id objc_getAssociatedObject(const id& obj, const void* key) {
  if (!obj || !key) return nullptr;
  std::lock_guard guard(NSObjectInternals::lock(*obj));
  auto& table = NSObjectInternals::associated(*obj);
  auto it = table.find(key);
  if (it == table.end()) return nullptr;
  if (auto* strong = std::any_cast<id>(&it->second)) return *strong;
  if (auto* weak = std::any_cast<std::weak_ptr<NSObject>>(&it->second)) return weak->lock();
  return nullptr;
}

namespace objc_detail {

std::any getIvar(const id& obj, const char* name) {
  if (!obj || !name) return {};
  std::lock_guard guard(NSObjectInternals::lock(*obj));
  auto& table = NSObjectInternals::ivars(*obj);
  auto it = table.find(name);
  return it == table.end() ? std::any() : it->second;
}

void setIvar(const id& obj, const char* name, std::any value) {
  if (!obj || !name) return;
  std::lock_guard guard(NSObjectInternals::lock(*obj));
  NSObjectInternals::ivars(*obj)[name] = std::move(value);
}

void throwIvarMismatch(const id& obj, const char* name, const std::type_info& stored,
                       const std::type_info& asked) {
  throw objc_runtime_error(std::string("instance variable ") + name + " of " +
                           object_getClassName(obj) + " holds " + describeSignature(stored) +
                           ", read as " + describeSignature(asked));
}

}  // namespace objc_detail
