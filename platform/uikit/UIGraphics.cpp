#include "uikit/UIGraphics.h"

#include <cairo.h>

#include <cmath>
#include <vector>

#include "uikit/UIDevice.h"
#include "uikit/UIImage.h"

namespace {
struct Slot {
  CGContextRef context;
  CGFloat scale;
  bool owned;
  std::string drawnSource;  // of the first picture with a source drawn into the context
};
thread_local struct Stack {
  std::vector<Slot> slots;
  ~Stack() {
    for (Slot& s : slots) {
      if (s.owned) CGContextRelease(s.context);
    }
  }
} stack;

size_t pixels(CGFloat points, CGFloat scale) {
  double p = points * scale;
  if (!(p > 0) || p > kCGImageMaxDimension) return 0;
  // A hair off a whole number is rounding noise (sizes computed in single precision), not
  // another pixel; a real fraction of a pixel still gets one.
  double whole = std::round(p);
  if (std::fabs(p - whole) < 1e-3) return whole > 0 ? static_cast<size_t>(whole) : 0;
  return static_cast<size_t>(std::ceil(p));
}
}  // namespace

void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale) {
  (void)opaque;  // every context keeps an alpha channel; opaque callers fill it whole
  if (!(scale > 0)) scale = UIScreen::mainScreen()->scale();
  if (!(scale > 0)) scale = 1.0;
  size_t w = pixels(size.width, scale), h = pixels(size.height, scale);
  CGContextRef c = w && h ? CGContextCreateForImage(w, h, scale) : nullptr;
  stack.slots.push_back({c, scale, true, {}});
}

void UIGraphicsBeginImageContext(CGSize size) {
  UIGraphicsBeginImageContextWithOptions(size, false, 1.0);
}

CGContextRef UIGraphicsGetCurrentContext() {
  return stack.slots.empty() ? nullptr : stack.slots.back().context;
}

std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext() {
  if (stack.slots.empty() || !stack.slots.back().owned || !stack.slots.back().context) {
    return nullptr;
  }
  CGImageRef image = CGBitmapContextCreateImage(stack.slots.back().context);
  if (!image) return nullptr;
  auto result = make<UIImage>(image, stack.slots.back().scale);
  CGImageRelease(image);
  result->setSource(stack.slots.back().drawnSource);
  return result;
}

void UIGraphicsEndImageContext() {
  if (stack.slots.empty() || !stack.slots.back().owned) return;
  CGContextRelease(stack.slots.back().context);
  stack.slots.pop_back();
}

void UIGraphicsPushContext(CGContextRef context) {
  stack.slots.push_back({context, 1.0, false, {}});
}

namespace standin {
void UIGraphicsNoteDrawnSource(const std::string& source) {
  if (source.empty() || stack.slots.empty()) return;
  std::string& drawn = stack.slots.back().drawnSource;
  if (drawn.empty()) drawn = source;
}
}  // namespace standin

namespace standin {
std::shared_ptr<UIImage> UIGraphicsTakeImageFromCurrentImageContext() {
  if (stack.slots.empty() || !stack.slots.back().owned) return nullptr;
  Slot slot = std::move(stack.slots.back());
  stack.slots.pop_back();
  if (!slot.context) return nullptr;
  cairo_surface_t* drawn =
      cairo_surface_reference(cairo_get_target(CGContextGetCairo(slot.context)));
  CGContextRelease(slot.context);
  CGImageRef image = CGImageCreateWithSurface(drawn);
  if (!image) return nullptr;
  auto result = make<UIImage>(image, slot.scale);
  CGImageRelease(image);
  result->setSource(slot.drawnSource);
  return result;
}
}  // namespace standin

void UIGraphicsPopContext() {
  if (!stack.slots.empty() && !stack.slots.back().owned) stack.slots.pop_back();
}
