// CallBar's call overlay controller: the party's picture in CallBar's own image view, CallBar's
// own access to that view withheld while the add-on supplies the picture, and the favourites
// rebuilt when the settings change.
#include <cmath>
#include <cstring>
#include <limits>

#include "CallBarPictureSizes.h"
#include "HookFamilies.h"
#include "HookInstaller.h"
#include "SettingsChangedNotification.h"
#include "SettingsSwitches.h"
#include "TalvoCBModuleState.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+ContactLookup.h"
#include "TalvoCBUtils+ImageHelpers.h"
#include "TalvoCBUtils+MonogramText.h"
#include "TalvoCBUtils+Monograms.h"
#include "TalvoCBUtils+Retrieval.h"
#include "apps/HostClasses.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSValueTypes.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"
#include "uikit/UIView.h"

namespace {
HostSignature::Void viewDidLoad;
HostSignature::Object monogrammer;
HostSignature::Object contactImageView;
HostSignature::VoidWithObject setCurrentCall;
HostSignature::Void dismissRootView;
HostSignature::VoidWithDuration dismissRootViewWithDuration;

std::shared_ptr<UIImageView> savedImageView() {
  return std::dynamic_pointer_cast<UIImageView>(TalvoCBModuleState::savedCallBarImageView.lock());
}

// A start time as a whole number of seconds, toward zero. A time no integer holds (not a number,
// or beyond the range) counts as 0 rather than being undefined.
int64_t truncatedStartTime(double startTime) {
  if (!std::isfinite(startTime) || std::fabs(startTime) >= 9.2e18) return 0;
  return static_cast<int64_t>(startTime);
}

void replacedViewDidLoad(id self, SEL cmd) {
  callReplaced(viewDidLoad, self, cmd);
  NSNotificationCenter::defaultCenter().addObserver(
      self, sel_registerName("talvoCBSettingsChanged:"), kSettingsChangedNotification);
  std::shared_ptr<UIImageView> candidate;
  auto content = std::dynamic_pointer_cast<UIView>(objc_msgSend<id()>(self, "contentView"));
  if (content) {
    for (const auto& subview : content->subviews()) {
      // Only CallBar's plain image view: its subclasses are other pictures.
      if (std::strcmp(object_getClassName(subview), "UIImageView") == 0) {
        candidate = std::static_pointer_cast<UIImageView>(subview);
      }
    }
  }
  TalvoCBModuleState::savedCallBarImageView = candidate;
}

id replacedMonogrammer(id self, SEL cmd) {
  id result = callReplaced(monogrammer, self, cmd);
  if (!TalvoCBModuleState::savedCallBarMonogrammer) {
    TalvoCBModuleState::savedCallBarMonogrammer = result;
  }
  return result;
}

id replacedContactImageView(id self, SEL cmd) {
  if (picturesOnPhone() && savedImageView()) {
    return nullptr;
  }
  return callReplaced(contactImageView, self, cmd);
}

// The picture of a party with a contact: the cached one, else the contact's picture (or its
// monogram when monograms are on) at the overlay's size in the monogrammer's font.
UIImagePtr contactPicture(id controller, int32_t contactID) {
  UIImagePtr picture = TalvoCBUtils::getContactImageInCache(contactID);
  if (!picture) {
    OptionalString text;
    if (monogramsOn()) text = TalvoCBUtils::monogramTextFromAB(contactID);
    id monogrammer = objc_msgSend<id()>(controller, "monogrammer");
    auto font = std::dynamic_pointer_cast<UIFont>(objc_msgSend<id()>(monogrammer, "font"));
    picture = TalvoCBUtils::getContactImageOnly(
        contactID, text, false, CGSizeMake(kOverlayPictureSide, kOverlayPictureSide), font);
  }
  if (picture && picture->size().width < kOverlayPictureSide) {
    picture = TalvoCBUtils::resizeImage(picture, static_cast<int>(kOverlayPictureSide),
                                        static_cast<int>(kOverlayPictureSide));
  }
  return picture;
}

void replacedSetCurrentCall(id self, SEL cmd, id call) {
  // The Recents switch governs the overlay's picture.
  if (!call || !picturesOnRecents()) {
    callReplaced(setCurrentCall, self, cmd, call);
    return;
  }
  id subject = call;
  bool changed;
  auto calls = std::dynamic_pointer_cast<NSArray>(objc_msgSend<id()>(self, "currentCalls"));
  if (calls && calls->items.size() >= 2) {
    subject = calls->items.front();
    changed = true;
  } else {
    changed = call != objc_msgSend<id()>(self, "currentCall");
  }

  auto destination = stringValue(objc_msgSend<id()>(subject, "destinationID"));
  auto addressBook = objc_msgSend<ABAddressBookRef()>(self, "addressBook");
  int32_t contactID = TalvoCBUtils::getContactID(destination, addressBook);
  auto imageView = savedImageView();
  UIImagePtr picture;
  if (contactID >= 1) {
    if (imageView) imageView->setTag(contactID);
    picture = contactPicture(self, contactID);
  } else {
    if (!monogramsOn()) {
      callReplaced(setCurrentCall, self, cmd, call);
      return;
    }
    int64_t key = truncatedStartTime(objc_msgSend<double()>(subject, "startTime"));
    picture = TalvoCBUtils::unknownCallerMonogram(key);
    if (imageView) imageView->setTag(static_cast<long>(key));
  }

  callReplaced(setCurrentCall, self, cmd, call);
  imageView = savedImageView();
  if (!picture || !imageView) return;
  if (changed || !imageView->image()) imageView->setImage(picture);
}

void clearSavedPicture() {
  if (auto imageView = savedImageView()) imageView->setImage(nullptr);
}

void replacedDismissRootView(id self, SEL cmd) {
  callReplaced(dismissRootView, self, cmd);
  clearSavedPicture();
}

void replacedDismissRootViewWithDuration(id self, SEL cmd, double duration) {
  callReplaced(dismissRootViewWithDuration, self, cmd, duration);
  clearSavedPicture();
}

// The favourites buttons are drawn anew, so that the monogrammer's pictures follow the settings.
void talvoCBSettingsChanged(id self, SEL, id) {
  performSelector(self, sel_registerName("cleanupFavoritesButtons"), nullptr);
  SEL reset = sel_registerName("resetFavorites");
  if (respondsToSelector(self, reset)) performSelector(self, reset, nullptr);
}
}  // namespace

void installCallBarControllerHooks() {
  const char* controller = "CallBarControllerModern";
  hookMessage(controller, "viewDidLoad", replacedViewDidLoad, &viewDidLoad);
  hookMessage(controller, "monogrammer", replacedMonogrammer, &monogrammer);
  hookMessage(controller, "contactImageView", replacedContactImageView, &contactImageView);
  hookMessage(controller, "setCurrentCall:", replacedSetCurrentCall, &setCurrentCall);
  hookMessage(controller, "dismissRootView", replacedDismissRootView, &dismissRootView);
  hookMessage(controller, "dismissRootViewWithDuration:", replacedDismissRootViewWithDuration,
              &dismissRootViewWithDuration);
  addMessage(controller, "talvoCBSettingsChanged:", talvoCBSettingsChanged, "v@:@");
}
