// Registers the platform's stand-in classes so that objc_getClass finds them by name.
#include "addressbook/ABAddressBook.h"
#include "contacts/CNContact.h"
#include "foundation/NSBundle.h"
#include "foundation/NSCache.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSOperationQueue.h"
#include "foundation/NSValueTypes.h"
#include "uikit/NSIndexPath.h"
#include "uikit/UIAlertView.h"
#include "uikit/UIButton.h"
#include "uikit/UIColor.h"
#include "uikit/UIDevice.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"
#include "uikit/UILabel.h"
#include "uikit/UISwitch.h"
#include "uikit/UITableView.h"
#include "uikit/UITableViewCell.h"
#include "uikit/UIView.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

void sim_registerPlatformClasses() {
  for (Class cls : {NSObject::class_(),
                    NSString::class_(),
                    NSNumber::class_(),
                    NSData::class_(),
                    NSDate::class_(),
                    NSArray::class_(),
                    NSDictionary::class_(),
                    NSNotification::class_(),
                    NSCache::class_(),
                    NSOperationQueue::class_(),
                    UIDevice::class_(),
                    UIScreen::class_(),
                    UIApplication::class_(),
                    UIImage::class_(),
                    UIColor::class_(),
                    UIFont::class_(),
                    CALayer::class_(),
                    UIView::class_(),
                    UIImageView::class_(),
                    UITableView::class_(),
                    UITableViewCell::class_(),
                    ABPhoneFormatting::class_(),
                    NSBundle::class_(),
                    UILabel::class_(),
                    UITableViewLabel::class_(),
                    UIDateLabel::class_(),
                    UIButton::class_(),
                    UISwitch::class_(),
                    UIAlertView::class_(),
                    UIWindow::class_(),
                    NSIndexPath::class_(),
                    UIViewController::class_(),
                    CFKeyedArchiverUID::class_(),
                    CNContact::class_()}) {
    (void)cls;
  }
}
