// The observers of the address book's and the settings' Darwin notifications.
#include "HookFamilies.h"
#include "TalvoCBLog.h"
#include "foundation/NSNotificationCenter.h"

namespace {
void talvoCBAddressBookChangedCallBack(CFNotificationCenterRef, void*, const std::string& name,
                                       const void*, const void*) {
  TALCB_INFO(
      "void talvoCBAddressBookChangedCallBack(CFNotificationCenterRef, void *, CFStringRef, const "
      "void *, CFDictionaryRef)",
      "Received %s", name.c_str());
}

void talvoCBSettingsChangedCallBack(CFNotificationCenterRef, void*, const std::string& name,
                                    const void*, const void*) {
  TALCB_INFO(
      "void talvoCBSettingsChangedCallBack(CFNotificationCenterRef, void *, CFStringRef, const "
      "void *, CFDictionaryRef)",
      "Received %s", name.c_str());
}
}  // namespace

void registerNotificationObservers() {
  CFNotificationCenterRef center = CFNotificationCenterGetDarwinNotifyCenter();
  auto observe = [center](const char* name, CFNotificationCallback handler) {
    CFNotificationCenterAddObserver(center, nullptr, handler, name, nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
  };
  observe("__ABDataBaseChangedByOtherProcessNotification", talvoCBAddressBookChangedCallBack);
  for (const char* name : {"com.quorvik.TalvoCBEnabledNotification",
                           "com.quorvik.TalvoCBRoundedPicturesEnabledNotification",
                           "com.quorvik.TalvoCBMonogramPicturesEnabledNotification",
                           "com.quorvik.TalvoCBFavoritesEnabledNotification",
                           "com.quorvik.TalvoCBPhoneEnabledNotification",
                           "com.quorvik.TalvoCBRecentsEnabledNotification",
                           "com.quorvik.TalvoCBContactsEnabledNotification"}) {
    observe(name, talvoCBSettingsChangedCallBack);
  }
}
