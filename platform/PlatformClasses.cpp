// Registers the platform's stand-in classes so that objc_getClass finds them by name.
#include "addressbook/ABAddressBook.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSValueTypes.h"
#include "uikit/UIDevice.h"

void sim_registerPlatformClasses() {
  for (Class cls : {NSObject::class_(), NSString::class_(), NSNumber::class_(), NSData::class_(),
                    NSDate::class_(), NSArray::class_(), NSDictionary::class_(),
                    NSNotification::class_(), UIDevice::class_(), UIScreen::class_(),
                    UIApplication::class_(), ABPhoneFormatting::class_()}) {
    (void)cls;
  }
}
