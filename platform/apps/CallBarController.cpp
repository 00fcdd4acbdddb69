// CallBar's overlay controller as the runtime sees it: its members, the party it shows, the
// monogrammer it draws pictures with, and how it goes away. What a hook may replace is called
// by selector, so that the replacement runs.
#include <algorithm>

#include "addressbook/ABAddressBook.h"
#include "apps/CallBar.h"
#include "apps/CallBarAddressBook.h"
#include "apps/CallBarListRows.h"
#include "apps/CallBarPictures.h"
#include "apps/CallBarVersion.h"
#include "apps/HostMethods.h"
#include "foundation/NSValueTypes.h"
#include "uikit/UIButton.h"
#include "uikit/UILabel.h"

using standin::apps::detail::classNamed;
using standin::apps::detail::define;

namespace {

constexpr const char* kControllerClass = "CallBarControllerModern";

std::shared_ptr<CallBarControllerModern> controllerOf(const id& self) {
  return cast<CallBarControllerModern>(self);
}

// Any object may be handed over as a call; one that is no call has no party.
std::string destinationOf(const id& call) {
  if (!respondsToSelector(call, sel_registerName("destinationID"))) return "";
  return stringValue(objc_msgSend<id()>(call, "destinationID")).value_or("");
}

id makeController(Class cls) {
  return objc_alloc::make<CallBarControllerModern>(cls);
}

}  // namespace

struct CallBarControllerRuntime {
  static void viewDidLoad(id self, SEL cmd) {
    objc_msgSendSuper<void()>(objc_getClass(kControllerClass), self, cmd);
    auto controller = controllerOf(self);
    if (!controller) return;
    controller->buildOverlay();
    objc_msgSend<void()>(self, "resetFavorites");
  }
  static id contentView(id self, SEL) {
    auto controller = controllerOf(self);
    return controller ? controller->banner_ : nullptr;
  }
  static id currentCalls(id self, SEL) {
    auto controller = controllerOf(self);
    return make<NSArray>(controller ? controller->calls_ : std::vector<id>());
  }
  static id currentCall(id self, SEL) {
    auto controller = controllerOf(self);
    return controller ? controller->currentCall_ : nullptr;
  }
  static ABAddressBookRef addressBook(id self, SEL) {
    auto controller = controllerOf(self);
    return controller ? controller->book() : nullptr;
  }
  static id monogrammer(id self, SEL) {
    auto controller = controllerOf(self);
    return controller ? controller->monogrammer() : nullptr;
  }
  static id contactImageView(id self, SEL) {
    auto controller = controllerOf(self);
    return controller ? controller->pictureView_ : nullptr;
  }
  static void setCurrentCall(id self, SEL, id call) {
    auto controller = controllerOf(self);
    if (!controller) return;
    controller->currentCall_ = call;
    controller->showParty(call);
    auto pictureView = cast<UIImageView>(objc_msgSend<id()>(self, "contactImageView"));
    if (pictureView) pictureView->setImage(call ? partyPicture(self, call) : nullptr);
  }
  static void dismissRootView(id self, SEL) { hide(self); }
  static void dismissRootViewWithDuration(id self, SEL, double) { hide(self); }
  static void cleanupFavoritesButtons(id self, SEL) {
    if (auto controller = controllerOf(self)) controller->removeFavoriteButtons();
  }
  static void resetFavorites(id self, SEL) {
    objc_msgSend<void()>(self, "cleanupFavoritesButtons");
    if (auto controller = controllerOf(self)) controller->addFavoriteButtons();
  }

  // The package's own picture of the party: its monogrammer's, or a silhouette.
  static UIImagePtr partyPicture(const id& self, const id& call) {
    std::string address = destinationOf(call);
    auto book = objc_msgSend<ABAddressBookRef()>(self, "addressBook");
    ABRecordRef person = callbar::findPerson(book, address);
    UIImagePtr picture;
    if (person) picture = callbar::monogramFor(objc_msgSend<id()>(self, "monogrammer"), person);
    return picture ? picture : callbar::silhouette(callbar::kPictureSide);
  }
  // The overlay's window goes out of sight; the calls stay.
  static void hide(const id& self) {
    auto controller = controllerOf(self);
    if (!controller || !controller->isViewLoaded()) return;
    if (auto window = controller->view()->superview()) window->setHidden(true);
  }
};

Class CallBarControllerModern::class_() {
  return objc_getClass(kControllerClass);
}

CallBarControllerModern::~CallBarControllerModern() {
  if (addressBook_) CFRelease(addressBook_);
}

void CallBarControllerModern::addCall(const id& call) {
  if (call && std::find(calls_.begin(), calls_.end(), call) == calls_.end()) {
    calls_.push_back(call);
  }
}

void CallBarControllerModern::removeCall(const id& call) {
  calls_.erase(std::remove(calls_.begin(), calls_.end(), call), calls_.end());
}

ABAddressBookRef CallBarControllerModern::book() {
  if (!addressBook_) addressBook_ = ABAddressBookCreate();
  return addressBook_;
}

id CallBarControllerModern::monogrammer() {
  if (!monogrammerMade_) {
    monogrammerMade_ = true;
    Class cls = objc_getClass(callbar::systemVersionAtLeast(9) ? "CNMonogrammer" : "ABMonogrammer");
    if (cls) monogrammer_ = class_createInstance(cls);
  }
  return monogrammer_;
}

// The name, or the number when the book does not know it; the detail is the number's label.
void CallBarControllerModern::showParty(const id& call) {
  if (!nameLabel_) return;
  bool calling = call != nullptr;
  answerButton_->setHidden(!calling);
  endButton_->setHidden(!calling);
  if (!calling) {
    nameLabel_->setText(std::string("CallBar"));
    detailLabel_->setText(std::string("No calls"));
    return;
  }
  std::string address = destinationOf(call);
  ABRecordRef person = callbar::findPerson(book(), address);
  std::string name = callbar::personName(person);
  std::string detail = person ? callbar::addressLabel(person, address) : "calling…";
  if (name.empty()) name = address.empty() ? "Unknown" : callbar::displayAddress(address);
  if (detail.empty()) detail = callbar::displayAddress(address);
  nameLabel_->setText(name);
  detailLabel_->setText(detail);
}

namespace callbar {

void registerCallBarControllerClass() {
  using R = CallBarControllerRuntime;
  Class controller = classNamed(kControllerClass, UIViewController::class_(), makeController);
  define(controller, "viewDidLoad", R::viewDidLoad, "v@:");
  define(controller, "contentView", R::contentView, "@@:");
  define(controller, "currentCalls", R::currentCalls, "@@:");
  define(controller, "currentCall", R::currentCall, "@@:");
  define(controller, "addressBook", R::addressBook, "^v@:");
  define(controller, "monogrammer", R::monogrammer, "@@:");
  define(controller, "contactImageView", R::contactImageView, "@@:");
  define(controller, "setCurrentCall:", R::setCurrentCall, "v@:@");
  define(controller, "dismissRootView", R::dismissRootView, "v@:");
  define(controller, "dismissRootViewWithDuration:", R::dismissRootViewWithDuration, "v@:d");
  define(controller, "cleanupFavoritesButtons", R::cleanupFavoritesButtons, "v@:");
  define(controller, "resetFavorites", R::resetFavorites, "v@:");
}

}  // namespace callbar
