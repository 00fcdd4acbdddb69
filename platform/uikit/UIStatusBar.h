// The status bar: carrier and signal, the time and the battery, 20 points across the top of the
// key window, over whatever the application draws there. Dark text on light screens, white on
// dark ones (light content); mirrored in a right-to-left layout.
#pragma once

#include <memory>

#include "uikit/UIView.h"

class UILabel;

class UIStatusBar : public UIView {
 public:
  static Class class_();
  static constexpr CGFloat kHeight = 20;
  explicit UIStatusBar(CGRect frame = {}) : UIStatusBar(class_(), frame) {}

  // The process's one status bar.
  static std::shared_ptr<UIStatusBar> sharedStatusBar();

  bool isLightContent() const { return lightContent_; }
  void setLightContent(bool light);
  // Spans the width given, items at their places for the layout direction.
  void placeIn(CGFloat width);

 protected:
  friend struct objc_alloc;
  UIStatusBar(Class cls, CGRect frame);

 private:
  void build();

  bool lightContent_ = false;
  std::shared_ptr<UILabel> carrier_, time_, charge_;
  std::shared_ptr<UIView> signal_, battery_;
};
