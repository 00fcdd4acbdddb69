// Colours in device RGB.
#pragma once

#include <memory>

#include "coregraphics/CoreGraphics.h"
#include "runtime/objc.h"

class UIColor : public NSObject {
 public:
  static Class class_();
  UIColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
  static std::shared_ptr<UIColor> colorWithRed(CGFloat red, CGFloat green, CGFloat blue,
                                               CGFloat alpha);
  static std::shared_ptr<UIColor> colorWithWhite(CGFloat white, CGFloat alpha);
  static std::shared_ptr<UIColor> whiteColor();
  static std::shared_ptr<UIColor> blackColor();
  static std::shared_ptr<UIColor> clearColor();

  CGColorRef CGColor() const { return &color_; }
  bool getRed(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const;
  // Makes the colour the fill colour of the current image context.
  void setFill() const;
  void set() const { setFill(); }

  bool isEqual(const NSObject& other) const override;
  std::size_t hash() const override;
  std::string description() const override;

 private:
  ::CGColor color_;
};
