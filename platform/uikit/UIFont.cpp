#include "uikit/UIFont.h"

#include <cstdlib>

#include "foundation/Device.h"
#include "foundation/NSValueTypes.h"

STANDIN_DEFINE_CLASS(UIFont, NSObject)

namespace {
// The system font of the device's version, in a face of nearly the same metrics: Helvetica Neue
// before 9 (TeX Gyre Heros, Helvetica's widths), San Francisco from 9 on (Inter). Whatever
// script these lack is drawn in Noto (NSStringDrawing's fallback).
std::string systemFamily() {
  int major = std::atoi(standin::deviceProfile().systemVersion.c_str());
  return major >= 9 ? "Inter" : "TeX Gyre Heros";
}
}  // namespace

UIFont::UIFont(std::string familyName, CGFloat pointSize, bool bold)
    : NSObject(class_()),
      family_(std::move(familyName)),
      pointSize_(pointSize > 0 ? pointSize : 0),
      bold_(bold) {}

std::shared_ptr<UIFont> UIFont::systemFontOfSize(CGFloat pointSize) {
  return make<UIFont>(systemFamily(), pointSize);
}

std::shared_ptr<UIFont> UIFont::boldSystemFontOfSize(CGFloat pointSize) {
  return make<UIFont>(systemFamily(), pointSize, true);
}

std::shared_ptr<UIFont> UIFont::fontWithName(const std::string& name, CGFloat pointSize) {
  if (name.empty()) return nullptr;
  return make<UIFont>(name, pointSize);
}

std::string UIFont::fontName() const {
  return bold_ ? family_ + " Bold" : family_;
}

std::shared_ptr<UIFont> UIFont::fontWithSize(CGFloat pointSize) const {
  return make<UIFont>(family_, pointSize, bold_);
}

std::string UIFont::description() const {
  return stringWithFormat("<UIFont: font-family: \"%s\"; font-weight: %s; font-size: %.2fpt>",
                          family_.c_str(), bold_ ? "bold" : "normal", pointSize_);
}
