#include "apps/HostClasses.h"

#include "apps/HostMethods.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "apps/ContactListClasses.h"
#include "apps/SystemMonogrammer.h"

namespace standin::apps {
namespace {

using detail::classNamed;
using detail::define;

std::mutex& registryLock() {
  static std::mutex lock;
  return lock;
}
std::vector<HostMethod>& registry() {
  static std::vector<HostMethod> methods;
  return methods;
}

std::vector<std::string>& mistyped() {
  static std::vector<std::string> methods;
  return methods;
}
// Methods of a type no host method has, one per argument count, so that the type string still
// matches the selector.
double answerDouble(id, SEL) {
  return 0;
}
void takeDouble(id, SEL, double) {}
void takeTwoDoubles(id, SEL, double, double) {}
void takeThreeDoubles(id, SEL, double, double, double) {}

std::string methodName(Class cls, const char* selector) {
  return std::string(class_getName(cls)).append(" ").append(selector);
}

}  // namespace

void registerContactsClasses() {
  namespace M = SystemMonogrammerMethods;
  Class monogrammer =
      objc_registerClass("CNMonogrammer", NSObject::class_(), SystemMonogrammer::make);
  define(monogrammer, "font", M::font, "@@:");
  define(monogrammer, "_copyMonogramWithImageData:", M::copyMonogramWithImageData, "@@:@");
  define(monogrammer, "_copyMonogramWithInitials:", M::copyMonogramWithInitials, "@@:@");
  define(monogrammer, "monogramForContact:isContactImage:", M::monogramForContact, "@@:@^B");

  contactlists::registerContactStoreClasses();
  contactlists::registerContactListClasses();
}

void registerAddressBookUIClasses() {
  namespace M = SystemMonogrammerMethods;
  Class monogrammer =
      objc_registerClass("ABMonogrammer", NSObject::class_(), SystemMonogrammer::make);
  define(monogrammer, "font", M::font, "@@:");
  define(monogrammer, "_copyMonogramWithInitials:", M::copyMonogramWithInitials, "@@:@");
  define(monogrammer, "_copyMonogramWithImageData:", M::copyMonogramWithImageData, "@@:@");
  define(monogrammer, "monogramForPerson:isPersonImage:", M::monogramForPerson, "@@:^v^B");

  contactlists::registerMemberListClasses();
}

namespace detail {

bool isMistyped(Class cls, const char* selector) {
  auto name = methodName(cls, selector);
  return std::find(mistyped().begin(), mistyped().end(), name) != mistyped().end();
}

void addMistypedMethod(Class cls, const char* selector) {
  SEL sel = sel_registerName(selector);
  switch (std::count(selector, selector + std::strlen(selector), ':')) {
    case 0:
      class_addMethod(cls, sel, answerDouble, "d@:");
      break;
    case 1:
      class_addMethod(cls, sel, takeDouble, "v@:d");
      break;
    case 2:
      class_addMethod(cls, sel, takeTwoDoubles, "v@:dd");
      break;
    default:
      class_addMethod(cls, sel, takeThreeDoubles, "v@:ddd");
  }
}

void recordHostMethod(Class cls, const char* selector, IMP imp) {
  std::lock_guard guard(registryLock());
  registry().push_back({class_getName(cls), selector, imp});
}

Class classNamed(const char* name, Class superclass, objc_factory factory) {
  return objc_registerClass(name, superclass ? superclass : NSObject::class_(), factory);
}

}  // namespace detail

void setMistypedHostMethods(std::vector<std::string> methods) {
  mistyped() = std::move(methods);
}

const std::vector<HostMethod>& registeredHostMethods() {
  std::lock_guard guard(registryLock());
  return registry();
}

}  // namespace standin::apps
