// The device, its main screen and the shared application, answering from the device profile.
#pragma once

#include <string>

#include "coregraphics/CGGeometry.h"
#include "runtime/objc.h"

enum UIUserInterfaceIdiom : long { UIUserInterfaceIdiomPhone = 0, UIUserInterfaceIdiomPad = 1 };
enum UIInterfaceOrientation : long {
  UIInterfaceOrientationPortrait = 1,
  UIInterfaceOrientationPortraitUpsideDown = 2,
  UIInterfaceOrientationLandscapeRight = 3,
  UIInterfaceOrientationLandscapeLeft = 4,
};
enum UIUserInterfaceLayoutDirection : long {
  UIUserInterfaceLayoutDirectionLeftToRight = 0,
  UIUserInterfaceLayoutDirectionRightToLeft = 1,
};

class UIDevice : public NSObject {
 public:
  static Class class_();
  UIDevice() : NSObject(class_()) {}
  static std::shared_ptr<UIDevice> currentDevice();
  std::string systemVersion() const;
  UIUserInterfaceIdiom userInterfaceIdiom() const;
  bool respondsToSelector(SEL sel) const override;
};

class UIScreen : public NSObject {
 public:
  static Class class_();
  UIScreen() : NSObject(class_()) {}
  static std::shared_ptr<UIScreen> mainScreen();
  CGFloat scale() const;
  // Points, following the interface orientation from version 8 on.
  CGRect bounds() const;
  // Pixels, always portrait.
  CGRect nativeBounds() const;
  CGFloat nativeScale() const;
  // Whether nativeBounds, nativeScale and displayLinkWithTarget:selector: are answered depends on
  // the device profile (the system version).
  bool respondsToSelector(SEL sel) const override;
};

class UIApplication : public NSObject {
 public:
  static Class class_();
  UIApplication() : NSObject(class_()) {}
  static std::shared_ptr<UIApplication> sharedApplication();
  UIInterfaceOrientation statusBarOrientation() const;
  UIUserInterfaceLayoutDirection userInterfaceLayoutDirection() const;
};
