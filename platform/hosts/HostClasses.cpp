#include "hosts/HostClasses.h"

#include "hosts/HostMethods.h"

#include <algorithm>
#include <mutex>

#include "hosts/SystemMonogrammer.h"

namespace sim::hosts {
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

// The contact lists' bodies do nothing visible yet: they answer nil or nothing.
id noCell(id, SEL, id, id) {
  return nullptr;
}
// Bodies that do what the platform's class does and nothing of their own: [super cmd ...] from
// the host class named.
template <const char* ClassName>
void callSuper(id self, SEL cmd) {
  objc_msgSendSuper<void()>(objc_getClass(ClassName), self, cmd);
}
constexpr char kContactListCell[] = "CNContactListTableViewCell";
constexpr char kMemberCell[] = "ABMemberCell";
CGSize drawNothing(id, SEL, id, id, id, CGSize, CGPoint, float, id, long) {
  return {};
}

std::vector<std::string>& mistyped() {
  static std::vector<std::string> methods;
  return methods;
}
void takeTwoIntegers(id, SEL, long long, long long) {}

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

  Class list = classNamed("CNContactListViewController", objc_getClass("UIViewController"));
  define(list, "tableView:cellForRowAtIndexPath:", noCell, "@@:@@");
  Class cell = classNamed(kContactListCell, objc_getClass("UITableViewCell"));
  define(cell, "layoutSubviews", callSuper<kContactListCell>, "v@:");
}

void registerAddressBookUIClasses() {
  namespace M = SystemMonogrammerMethods;
  Class monogrammer =
      objc_registerClass("ABMonogrammer", NSObject::class_(), SystemMonogrammer::make);
  define(monogrammer, "font", M::font, "@@:");
  define(monogrammer, "_copyMonogramWithInitials:", M::copyMonogramWithInitials, "@@:@");
  define(monogrammer, "_copyMonogramWithImageData:", M::copyMonogramWithImageData, "@@:@");
  define(monogrammer, "monogramForPerson:isPersonImage:", M::monogramForPerson, "@@:^v^B");

  Class cell = classNamed(kMemberCell, objc_getClass("UITableViewCell"));
  define(cell,
         "_drawText:withColor:shadowColor:shadowOffset:atPoint:forWidth:withFont:lineBreakMode:",
         drawNothing, "{CGSize=dd}@:@@@{CGSize=dd}{CGPoint=dd}f@q");
  define(cell, "layoutSubviews", callSuper<kMemberCell>, "v@:");
  Class source = classNamed("ABMembersDataSource", nullptr);
  define(source, "tableView:cellForRowAtIndexPath:", noCell, "@@:@@");
  Class filtered = classNamed("ABMembersFilteredDataSource", source);
  define(filtered, "tableView:cellForRowAtIndexPath:", noCell, "@@:@@");
}

namespace detail {

bool isMistyped(Class cls, const char* selector) {
  auto name = methodName(cls, selector);
  return std::find(mistyped().begin(), mistyped().end(), name) != mistyped().end();
}

void addMistypedMethod(Class cls, const char* selector) {
  class_addMethod(cls, sel_registerName(selector), takeTwoIntegers, "v@:qq");
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

}  // namespace sim::hosts
