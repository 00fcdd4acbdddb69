#include "runtime/objc.h"

#include "runtime/TypeEncoding.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

struct objc_selector {
  std::string name;
};

struct objc_class {
  std::string name;
  Class superclass = nullptr;
  objc_factory factory = nullptr;
  std::unordered_map<SEL, std::unique_ptr<objc_method>> methods;
  bool isMeta = false;
  Class metaclass = nullptr;      // of a class
  Class instanceClass = nullptr;  // of a metaclass
  std::once_flag objectOnce;
  id object;  // the class as an object, made on first use
};

namespace {

// One lock for the class table, the selector table and every method table. Methods are never
// removed, so a Method handed out stays valid; replacing swaps the implementation under the lock.
// The tables are never destroyed: objects that die while the process exits are still sent
// dealloc, which looks the method up.
std::shared_mutex& tableLock() {
  static auto* lock = new std::shared_mutex;
  return *lock;
}
std::unordered_map<std::string, std::unique_ptr<objc_class>>& classTable() {
  static auto* table = new std::unordered_map<std::string, std::unique_ptr<objc_class>>;
  return *table;
}
std::unordered_map<std::string, std::unique_ptr<objc_selector>>& selectorTable() {
  static auto* table = new std::unordered_map<std::string, std::unique_ptr<objc_selector>>;
  return *table;
}
// Metaclasses are not found by name in the class table; they live here.
std::vector<std::unique_ptr<objc_class>>& metaclassTable() {
  static auto* table = new std::vector<std::unique_ptr<objc_class>>;
  return *table;
}

const char* methodPrefix(Class cls) {
  return cls && cls->isMeta ? "+[" : "-[";
}

Method findMethod(Class cls, SEL sel) {
  for (Class c = cls; c; c = c->superclass) {
    auto it = c->methods.find(sel);
    if (it == c->methods.end()) continue;
    bool (*available)() = it->second->available.load();
    if (!available || available()) return it->second.get();
  }
  return nullptr;
}

}  // namespace

// Registers the stand-in classes of the platform before anyone asks for one by name.
void sim_registerPlatformClasses();

SEL sel_registerName(const char* name) {
  if (!name) return nullptr;
  {
    std::shared_lock read(tableLock());
    auto it = selectorTable().find(name);
    if (it != selectorTable().end()) return it->second.get();
  }
  std::unique_lock write(tableLock());
  auto& slot = selectorTable()[name];
  if (!slot) slot = std::make_unique<objc_selector>(objc_selector{name});
  return slot.get();
}

const char* sel_getName(SEL sel) {
  return sel ? sel->name.c_str() : "<null selector>";
}

Class objc_getClass(const char* name) {
  static std::once_flag platformClasses;
  std::call_once(platformClasses, sim_registerPlatformClasses);
  if (!name) return nullptr;
  std::shared_lock read(tableLock());
  auto it = classTable().find(name);
  return it == classTable().end() ? nullptr : it->second.get();
}

Class objc_getMetaClass(const char* name) {
  return object_getClass(objc_getClass(name));
}

Class objc_registerClass(const char* name, Class superclass, objc_factory factory) {
  if (!name || (superclass && superclass->isMeta)) return nullptr;
  std::unique_lock write(tableLock());
  auto& slot = classTable()[name];
  if (!slot) {
    slot = std::make_unique<objc_class>();
    slot->name = name;
    slot->superclass = superclass;
    slot->factory = factory;
    auto meta = std::make_unique<objc_class>();
    meta->name = name;
    meta->isMeta = true;
    meta->instanceClass = slot.get();
    // The root's class methods fall back to its instance methods, as on the platform.
    meta->superclass = superclass ? superclass->metaclass : slot.get();
    slot->metaclass = meta.get();
    metaclassTable().push_back(std::move(meta));
  }
  return slot.get();
}

const char* class_getName(Class cls) {
  return cls ? cls->name.c_str() : "nil";
}
Class class_getSuperclass(Class cls) {
  return cls ? cls->superclass : nullptr;
}
bool class_isMetaClass(Class cls) {
  return cls && cls->isMeta;
}

id class_createInstance(Class cls) {
  if (!cls || cls->isMeta) return nullptr;
  for (Class c = cls; c; c = c->superclass) {
    if (c->factory) return c->factory(cls);
  }
  return make<NSObject>(cls);
}

id objc_classObject(Class cls) {
  if (!cls || cls->isMeta) return nullptr;
  // Not made with make<>: a class is never deallocated.
  std::call_once(cls->objectOnce,
                 [cls] { cls->object = std::make_shared<NSObject>(cls->metaclass); });
  return cls->object;
}

Class class_fromObject(const id& obj) {
  Class isa = object_getClass(obj);
  return isa && isa->isMeta ? isa->instanceClass : nullptr;
}

Method class_getOwnMethod(Class cls, SEL sel) {
  if (!cls || !sel) return nullptr;
  std::shared_lock read(tableLock());
  auto it = cls->methods.find(sel);
  return it == cls->methods.end() ? nullptr : it->second.get();
}

Method class_getInstanceMethod(Class cls, SEL sel) {
  if (!cls || !sel) return nullptr;
  std::shared_lock read(tableLock());
  return findMethod(cls, sel);
}

IMP class_getMethodImplementation(Class cls, SEL sel) {
  if (!cls || !sel) return nullptr;
  std::shared_lock read(tableLock());
  Method m = findMethod(cls, sel);
  return m ? m->imp.load() : nullptr;
}

void class_setMethodAvailability(Class cls, SEL sel, bool (*available)()) {
  if (!cls || !sel) return;
  std::shared_lock read(tableLock());
  auto it = cls->methods.find(sel);
  if (it != cls->methods.end()) it->second->available.store(available);
}

bool class_respondsToSelector(Class cls, SEL sel) {
  return class_getInstanceMethod(cls, sel);
}

Class object_getClass(const id& obj) {
  return obj ? obj->isa() : nullptr;
}
Class object_getClass(Class cls) {
  if (!cls) return nullptr;
  if (!cls->isMeta) return cls->metaclass;
  Class root = cls;
  while (root->superclass && root->superclass->isMeta) root = root->superclass;
  return root;
}
const char* object_getClassName(const id& obj) {
  return class_getName(object_getClass(obj));
}

bool isKindOfClass(const id& obj, Class cls) {
  for (Class c = object_getClass(obj); c; c = c->superclass) {
    if (c == cls) return true;
  }
  return false;
}

bool respondsToSelector(const id& obj, SEL sel) {
  return obj && obj->respondsToSelector(sel);
}

namespace objc_detail {

std::string describeSignature(std::type_index signature) {
  int status = 0;
  char* readable = abi::__cxa_demangle(signature.name(), nullptr, nullptr, &status);
  std::string text = status == 0 && readable ? readable : signature.name();
  std::free(readable);
  return text;
}

bool addMethod(Class cls, SEL sel, IMP imp, std::type_index signature, const char* types) {
  if (!cls || !sel || !imp) return false;
  // Types that disagree with the selector would describe another method to every reader of them.
  if (types && *types) {
    std::optional<std::size_t> given = typeEncodingArgumentCount(types);
    std::size_t named = selectorArgumentCount(sel->name.c_str());
    if (given != named) {
      throw objc_runtime_error(
          std::string("class_addMethod: ") + methodPrefix(cls) + cls->name + " " + sel->name +
          "] takes " + std::to_string(named) + " argument(s), but the types \"" + types + "\" " +
          (given ? "describe " + std::to_string(*given) : std::string("are not a method's types")));
    }
  }
  std::unique_lock write(tableLock());
  auto& slot = cls->methods[sel];
  if (slot) return false;
  slot = std::make_unique<objc_method>(imp, signature, types ? types : "");
  return true;
}

IMP replaceMethod(Class cls, SEL sel, IMP imp, std::type_index signature) {
  if (!cls || !sel || !imp) return nullptr;
  std::unique_lock write(tableLock());
  Method inherited = findMethod(cls, sel);
  if (!inherited) return nullptr;
  if (inherited->signature != signature) {
    throw objc_runtime_error(std::string("MSHookMessageEx: ") + methodPrefix(cls) + cls->name +
                             " " + sel->name + "] is " + describeSignature(inherited->signature) +
                             ", the replacement is " + describeSignature(signature));
  }
  IMP previous = inherited->imp.load();
  auto& own = cls->methods[sel];
  if (own) {
    own->imp = imp;
  } else {
    own = std::make_unique<objc_method>(imp, signature, inherited->types);
  }
  return previous;
}

void throwMismatch(Class cls, SEL sel, Method m, std::type_index expected) {
  throw objc_runtime_error(std::string(methodPrefix(cls)) + class_getName(cls) + " " +
                           sel_getName(sel) + "] is " + describeSignature(m->signature) +
                           ", called as " + describeSignature(expected));
}

void throwUnrecognized(Class cls, SEL sel) {
  throw objc_runtime_error(std::string(methodPrefix(cls)) + class_getName(cls) + " " +
                           sel_getName(sel) + "]: unrecognized selector sent to " +
                           (class_isMetaClass(cls) ? "class" : "instance"));
}

void sendDealloc(NSObject* obj) noexcept {
  static SEL dealloc = sel_registerName("dealloc");
  Class cls = obj->isa();
  Method m = class_getInstanceMethod(cls, dealloc);
  if (!m) return;
  if (m->signature != typeid(TypedIMP<void>)) {
    std::fprintf(stderr, "-[%s dealloc] is %s, not sent\n", class_getName(cls),
                 describeSignature(m->signature).c_str());
    return;
  }
  // The object is dying: self owns nothing, so that nothing inside dealloc can revive it.
  id self(std::shared_ptr<NSObject>(), obj);
  try {
    reinterpret_cast<TypedIMP<void>>(m->imp.load())(self, dealloc);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "-[%s dealloc] raised: %s\n", class_getName(cls), error.what());
  } catch (...) {
    std::fprintf(stderr, "-[%s dealloc] raised\n", class_getName(cls));
  }
}

}  // namespace objc_detail

void objc_deleter::operator()(NSObject* obj) const noexcept {
  if (!obj) return;
  objc_detail::sendDealloc(obj);
  delete obj;
}

id performSelector(const id& obj, SEL sel) {
  if (!obj) return nullptr;
  Method m = class_getInstanceMethod(obj->isa(), sel);
  if (m && m->signature == typeid(objc_detail::TypedIMP<void>)) {
    objc_send<void()>::call(obj, sel);
    return nullptr;
  }
  return objc_send<id()>::call(obj, sel);
}

id performSelector(const id& obj, SEL sel, const id& withObject) {
  if (!obj) return nullptr;
  Method m = class_getInstanceMethod(obj->isa(), sel);
  if (m && m->signature == typeid(objc_detail::TypedIMP<void, id>)) {
    objc_send<void(id)>::call(obj, sel, withObject);
    return nullptr;
  }
  // The platform passes the object in a register that a method without argument never reads.
  bool takesNothing = m && (m->signature == typeid(objc_detail::TypedIMP<void>) ||
                            m->signature == typeid(objc_detail::TypedIMP<id>));
  if (takesNothing && !withObject) return performSelector(obj, sel);
  return objc_send<id(id)>::call(obj, sel, withObject);
}
