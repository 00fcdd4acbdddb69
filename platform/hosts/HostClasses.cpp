#include "hosts/HostClasses.h"

#include <algorithm>
#include <mutex>

#include "hosts/SystemMonogrammer.h"

namespace sim::hosts {
namespace {

std::mutex& registryLock() {
  static std::mutex lock;
  return lock;
}
std::vector<HostMethod>& registry() {
  static std::vector<HostMethod> methods;
  return methods;
}

// The hosts' own bodies do nothing visible yet: they answer nil or nothing.
void doNothing(id, SEL) {}
id answerNil(id, SEL) {
  return nullptr;
}
void doNothingWithObject(id, SEL, id) {}
void doNothingWithDuration(id, SEL, double) {}
id noCell(id, SEL, id, id) {
  return nullptr;
}
// Bodies that do what the platform's class does and nothing of their own: [super cmd ...] from
// the host class named.
template <const char* ClassName>
void callSuper(id self, SEL cmd) {
  objc_msgSendSuper<void()>(objc_getClass(ClassName), self, cmd);
}
template <const char* ClassName>
id initWithStyle(id self, SEL cmd, long style, id reuseIdentifier) {
  return objc_msgSendSuper<id(long, id)>(objc_getClass(ClassName), self, cmd, style,
                                         reuseIdentifier);
}
constexpr char kCallBarController[] = "CallBarControllerModern";
constexpr char kCallBarList[] = "CallBarABViewController";
constexpr char kCallBarCell[] = "CallBarTableViewTransparentCell";
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

template <class R, class... A>
void define(Class cls, const char* selector, R (*imp)(id, SEL, A...), const char* types) {
  SEL sel = sel_registerName(selector);
  std::string name = std::string(class_getName(cls)) + " " + selector;
  if (std::find(mistyped().begin(), mistyped().end(), name) != mistyped().end()) {
    class_addMethod(cls, sel, takeTwoIntegers, "v@:qq");
    return;
  }
  if (class_addMethod(cls, sel, imp, types)) {
    std::lock_guard guard(registryLock());
    registry().push_back({class_getName(cls), selector, reinterpret_cast<IMP>(imp)});
  }
}

Class classNamed(const char* name, Class superclass) {
  return objc_registerClass(name, superclass ? superclass : NSObject::class_());
}

}  // namespace

void registerCallBarClasses() {
  Class controller = classNamed(kCallBarController, objc_getClass("UIViewController"));
  define(controller, "viewDidLoad", callSuper<kCallBarController>, "v@:");
  define(controller, "monogrammer", answerNil, "@@:");
  define(controller, "contactImageView", answerNil, "@@:");
  define(controller, "setCurrentCall:", doNothingWithObject, "v@:@");
  define(controller, "dismissRootView", doNothing, "v@:");
  define(controller, "dismissRootViewWithDuration:", doNothingWithDuration, "v@:d");

  Class list = classNamed(kCallBarList, objc_getClass("UIViewController"));
  define(list, "viewDidLoad", callSuper<kCallBarList>, "v@:");
  define(list, "tableView:cellForRowAtIndexPath:", noCell, "@@:@@");
  define(list, "dealloc", callSuper<kCallBarList>, "v@:");

  Class cell = classNamed(kCallBarCell, objc_getClass("UITableViewCell"));
  define(cell, "initWithStyle:reuseIdentifier:", initWithStyle<kCallBarCell>, "@@:q@");
  define(cell, "layoutSubviews", callSuper<kCallBarCell>, "v@:");
}

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

void setMistypedHostMethods(std::vector<std::string> methods) {
  mistyped() = std::move(methods);
}

const std::vector<HostMethod>& registeredHostMethods() {
  std::lock_guard guard(registryLock());
  return registry();
}

}  // namespace sim::hosts
