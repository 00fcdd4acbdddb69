#include "uikit/UIDevice.h"

#include <cstring>

#include "foundation/Device.h"
#include "foundation/NSValueTypes.h"

STANDIN_DEFINE_CLASS(UIDevice, NSObject)
STANDIN_DEFINE_CLASS(UIScreen, NSObject)
STANDIN_DEFINE_CLASS(UIApplication, NSObject)

std::shared_ptr<UIDevice> UIDevice::currentDevice() {
  static auto device = make<UIDevice>();
  return device;
}

std::string UIDevice::systemVersion() const {
  return standin::deviceProfile().systemVersion;
}

UIUserInterfaceIdiom UIDevice::userInterfaceIdiom() const {
  return standin::deviceProfile().idiom == 1 ? UIUserInterfaceIdiomPad : UIUserInterfaceIdiomPhone;
}

bool UIDevice::respondsToSelector(SEL sel) const {
  if (std::strcmp(sel_getName(sel), "userInterfaceIdiom") == 0) {
    return standin::deviceProfile().deviceAnswersIdiom;
  }
  return std::strcmp(sel_getName(sel), "systemVersion") == 0 || NSObject::respondsToSelector(sel);
}

std::shared_ptr<UIScreen> UIScreen::mainScreen() {
  static auto screen = make<UIScreen>();
  return screen;
}

CGFloat UIScreen::scale() const {
  return standin::deviceProfile().scale;
}

CGRect UIScreen::bounds() const {
  const DeviceProfile& p = standin::deviceProfile();
  bool landscape = p.statusBarOrientation == UIInterfaceOrientationLandscapeLeft ||
                   p.statusBarOrientation == UIInterfaceOrientationLandscapeRight;
  // Before version 8 the screen's bounds stay portrait whatever the orientation.
  if (landscape && NSStringDoubleValue(p.systemVersion) >= 8.0) {
    return CGRectMake(0, 0, p.height, p.width);
  }
  return CGRectMake(0, 0, p.width, p.height);
}

CGRect UIScreen::nativeBounds() const {
  const DeviceProfile& p = standin::deviceProfile();
  return CGRectMake(0, 0, p.nativeWidth, p.nativeHeight);
}

CGFloat UIScreen::nativeScale() const {
  return standin::deviceProfile().nativeScale;
}

bool UIScreen::respondsToSelector(SEL sel) const {
  const char* name = sel_getName(sel);
  const DeviceProfile& p = standin::deviceProfile();
  if (!std::strcmp(name, "nativeBounds") || !std::strcmp(name, "nativeScale")) {
    return p.screenAnswersNativeBounds;
  }
  if (!std::strcmp(name, "displayLinkWithTarget:selector:")) return p.screenAnswersDisplayLink;
  if (!std::strcmp(name, "scale") || !std::strcmp(name, "bounds")) return true;
  return NSObject::respondsToSelector(sel);
}

std::shared_ptr<UIApplication> UIApplication::sharedApplication() {
  static auto application = make<UIApplication>();
  return application;
}

UIInterfaceOrientation UIApplication::statusBarOrientation() const {
  int o = standin::deviceProfile().statusBarOrientation;
  return o >= 1 && o <= 4 ? static_cast<UIInterfaceOrientation>(o) : UIInterfaceOrientationPortrait;
}

UIUserInterfaceLayoutDirection UIApplication::userInterfaceLayoutDirection() const {
  return standin::deviceProfile().layoutDirection == 1 ? UIUserInterfaceLayoutDirectionRightToLeft
                                                       : UIUserInterfaceLayoutDirectionLeftToRight;
}
