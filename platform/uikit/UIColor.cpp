#include "uikit/UIColor.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "foundation/NSValueTypes.h"
#include "uikit/UIGraphics.h"

STANDIN_DEFINE_CLASS(UIColor, NSObject)

namespace {
CGFloat unit(CGFloat v) {
  return std::isnan(v) ? 0 : std::clamp(v, 0.0, 1.0);
}
}  // namespace

UIColor::UIColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
    : NSObject(class_()), color_{unit(red), unit(green), unit(blue), unit(alpha)} {}

std::shared_ptr<UIColor> UIColor::colorWithRed(CGFloat red, CGFloat green, CGFloat blue,
                                               CGFloat alpha) {
  return make<UIColor>(red, green, blue, alpha);
}

std::shared_ptr<UIColor> UIColor::colorWithWhite(CGFloat white, CGFloat alpha) {
  return make<UIColor>(white, white, white, alpha);
}

std::shared_ptr<UIColor> UIColor::whiteColor() {
  return colorWithWhite(1, 1);
}

std::shared_ptr<UIColor> UIColor::blackColor() {
  return colorWithWhite(0, 1);
}

std::shared_ptr<UIColor> UIColor::clearColor() {
  return colorWithWhite(0, 0);
}

bool UIColor::getRed(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const {
  if (red) *red = color_.red;
  if (green) *green = color_.green;
  if (blue) *blue = color_.blue;
  if (alpha) *alpha = color_.alpha;
  return true;
}

void UIColor::setFill() const {
  CGContextSetFillColorWithColor(UIGraphicsGetCurrentContext(), &color_);
}

bool UIColor::isEqual(const NSObject& other) const {
  auto* o = dynamic_cast<const UIColor*>(&other);
  return o && o->color_.red == color_.red && o->color_.green == color_.green &&
         o->color_.blue == color_.blue && o->color_.alpha == color_.alpha;
}

std::size_t UIColor::hash() const {
  std::hash<double> h;
  return h(color_.red) ^ (h(color_.green) << 1) ^ (h(color_.blue) << 2) ^ (h(color_.alpha) << 3);
}

std::string UIColor::description() const {
  return stringWithFormat("UIDeviceRGBColorSpace %g %g %g %g", color_.red, color_.green,
                          color_.blue, color_.alpha);
}
