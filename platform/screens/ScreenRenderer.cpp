#include "screens/ScreenRenderer.h"

#include <cairo.h>

#include <cmath>

#include "foundation/NSLog.h"
#include "uikit/UIDevice.h"
#include "uikit/UIWindow.h"

namespace standin {

// The platform's layout pass: layoutSubviews, through the runtime, for every view marked as
// needing it, parents before their subviews.
void layoutViewTree(const std::shared_ptr<UIView>& root) {
  if (!root) return;
  try {
    if (auto window = cast<UIWindow>(root)) window->keepStatusBarInFront();
    root->layoutIfNeeded();
  } catch (const objc_runtime_error& error) {
    NSLog("layout skipped: %s", error.what());
  }
}

UIImagePtr renderViewTree(const std::shared_ptr<UIView>& root, CGFloat scale) {
  if (!root) return nullptr;
  return renderViewTrees({root}, root->bounds().size, scale);
}

UIImagePtr renderViewTrees(const std::vector<std::shared_ptr<UIView>>& roots, CGSize size,
                           CGFloat scale) {
  if (!(scale > 0)) scale = UIScreen::mainScreen()->scale();
  if (!(scale > 0) || !std::isfinite(scale)) scale = 1;
  // Whole pixels; a hair over a whole number is rounding noise, not another pixel.
  auto pixels = [scale](CGFloat points) {
    double p = points * scale;
    return p > 0 && p <= kCGImageMaxDimension ? static_cast<size_t>(std::ceil(p - 1e-3)) : 0;
  };
  CGContextRef context = CGContextCreateForImage(pixels(size.width), pixels(size.height), scale);
  if (!context) return nullptr;
  cairo_t* cr = CGContextGetCairo(context);
  for (const auto& root : roots) {
    if (!root) continue;
    cairo_save(cr);
    cairo_translate(cr, root->frame().origin.x, root->frame().origin.y);
    root->layer()->renderInContext(context);
    cairo_restore(cr);
  }
  // The picture takes the context's own pixels over: a screen is too big to copy for nothing.
  cairo_surface_t* pixelsDrawn =
      cairo_surface_reference(cairo_get_target(CGContextGetCairo(context)));
  CGContextRelease(context);
  CGImageRef bitmap = CGImageCreateWithSurface(pixelsDrawn);
  UIImagePtr image = UIImage::imageWithCGImage(bitmap, scale);
  CGImageRelease(bitmap);
  return image;
}

}  // namespace standin
