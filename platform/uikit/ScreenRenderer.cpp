#include "uikit/ScreenRenderer.h"

#include "foundation/NSLog.h"
#include "uikit/UIGraphics.h"

namespace sim {

void layoutViewTree(const std::shared_ptr<UIView>& root) {
  if (!root) return;
  static SEL layout = sel_registerName("layoutSubviews");
  if (respondsToSelector(root, layout)) {
    try {
      objc_msgSend<void()>(root, layout);
    } catch (const objc_runtime_error& error) {
      NSLog("layout skipped: %s", error.what());
    }
  }
  // A copy: a layout may add or remove subviews of the views below.
  std::vector<std::shared_ptr<UIView>> subviews = root->subviews();
  for (const auto& view : subviews) layoutViewTree(view);
}

UIImagePtr renderViewTree(const std::shared_ptr<UIView>& root, CGFloat scale) {
  if (!root) return nullptr;
  UIGraphicsBeginImageContextWithOptions(root->bounds().size, false, scale);
  CGContextRef context = UIGraphicsGetCurrentContext();
  if (context) root->layer()->renderInContext(context);
  UIImagePtr image = context ? UIGraphicsGetImageFromCurrentImageContext() : nullptr;
  UIGraphicsEndImageContext();
  return image;
}

}  // namespace sim
