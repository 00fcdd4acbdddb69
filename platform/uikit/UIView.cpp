#include "uikit/UIView.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "foundation/Device.h"
#include "foundation/NSValueTypes.h"
#include "uikit/UIColor.h"
#include "uikit/UIDevice.h"
#include "uikit/UIImage.h"

STANDIN_DEFINE_CLASS(CALayer, NSObject)

namespace {
id makeView(Class cls) {
  return objc_alloc::make<UIView>(cls, CGRect{});
}
id makeImageView(Class cls) {
  return objc_alloc::make<UIImageView>(cls, CGRect{});
}
void layoutNothing(id, SEL) {}
long layoutDirectionForAttribute(id, SEL, long attribute) {
  return UIView::userInterfaceLayoutDirectionForSemanticContentAttribute(
      static_cast<UISemanticContentAttribute>(attribute));
}
bool onVersion9() {
  return NSStringDoubleValue(standin::deviceProfile().systemVersion) >= 9.0;
}
}  // namespace

Class UIView::class_() {
  static Class cls = [] {
    Class view = objc_registerClass("UIView", NSObject::class_(), makeView);
    class_addMethod(view, sel_registerName("layoutSubviews"), layoutNothing, "v@:");
    // A class method that came with version 9: asked with respondsToSelector: first.
    Class meta = object_getClass(objc_classObject(view));
    SEL direction = sel_registerName("userInterfaceLayoutDirectionForSemanticContentAttribute:");
    class_addMethod(meta, direction, layoutDirectionForAttribute, "q@:q");
    class_setMethodAvailability(meta, direction, onVersion9);
    return view;
  }();
  return cls;
}

Class UIImageView::class_() {
  static Class cls = objc_registerClass("UIImageView", UIView::class_(), makeImageView);
  return cls;
}

UIView::UIView(CGRect frame) : UIView(class_(), frame) {}

UIView::UIView(Class cls, CGRect frame)
    : NSObject(cls), frame_(frame), layer_(make<CALayer>(this)) {}

UIView::~UIView() = default;

void UIView::setFrame(CGRect frame) {
  if (!(frame.size == frame_.size)) needsLayout_ = true;
  frame_ = frame;
}

void UIView::addSubview(const std::shared_ptr<UIView>& view) {
  if (!view || view.get() == this) return;
  view->removeFromSuperview();
  view->superview_ = std::static_pointer_cast<UIView>(self());
  subviews_.push_back(view);
  needsLayout_ = true;
}

void UIView::layoutIfNeeded() {
  if (needsLayout_) {
    needsLayout_ = false;
    objc_msgSend<void()>(self(), "layoutSubviews");
  }
  // A copy: layoutSubviews of a subview may add or remove its siblings.
  auto subviews = subviews_;
  for (const auto& view : subviews) {
    if (view->superview_.lock().get() == this) view->layoutIfNeeded();
  }
}

void UIView::removeFromSuperview() {
  auto parent = superview_.lock();
  superview_.reset();
  if (!parent) return;
  auto& siblings = parent->subviews_;
  siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                [this](const auto& v) { return v.get() == this; }),
                 siblings.end());
}

std::shared_ptr<UIView> UIView::viewWithTag(long tag) {
  if (tag_ == tag) return std::static_pointer_cast<UIView>(self());
  for (const auto& view : subviews_) {
    if (auto found = view->viewWithTag(tag)) return found;
  }
  return nullptr;
}

void UIView::drawContent(CGContextRef) const {}

void UIView::setAlpha(CGFloat alpha) {
  if (std::isnan(alpha)) return;
  alpha_ = std::clamp(alpha, 0.0, 1.0);
}

long UIView::userInterfaceLayoutDirectionForSemanticContentAttribute(
    UISemanticContentAttribute attribute) {
  switch (attribute) {
    case UISemanticContentAttributeForceRightToLeft:
      return UIUserInterfaceLayoutDirectionRightToLeft;
    case UISemanticContentAttributeUnspecified:
      return UIApplication::sharedApplication()->userInterfaceLayoutDirection();
    default:
      // Playback controls and spatial layouts keep their left-to-right order.
      return UIUserInterfaceLayoutDirectionLeftToRight;
  }
}

bool UIView::respondsToUserInterfaceLayoutDirection() {
  return ::respondsToSelector(
      objc_classObject(class_()),
      sel_registerName("userInterfaceLayoutDirectionForSemanticContentAttribute:"));
}

namespace {
// A rounded rectangle of the bounds, as the layer's corner radius shapes it, shrunk by the inset
// on every side (a border's stroke runs inset by half its width).
void addBoundsShape(cairo_t* cr, CGRect b, CGFloat radius, CGFloat inset = 0) {
  double w = b.size.width - 2 * inset, h = b.size.height - 2 * inset;
  double r = std::min({radius - inset, w / 2, h / 2});
  cairo_new_path(cr);
  if (r <= 0) {
    cairo_rectangle(cr, inset, inset, w, h);
    return;
  }
  cairo_new_sub_path(cr);
  cairo_arc(cr, inset + w - r, inset + r, r, -M_PI / 2, 0);
  cairo_arc(cr, inset + w - r, inset + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, inset + r, inset + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, inset + r, inset + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

// Where a picture of the size goes in the bounds under the content mode.
CGRect fittedRect(CGSize picture, CGRect bounds, UIViewContentMode mode) {
  double bw = bounds.size.width, bh = bounds.size.height;
  if (!(picture.width > 0) || !(picture.height > 0)) return bounds;
  double w = picture.width, h = picture.height;
  switch (mode) {
    case UIViewContentModeScaleAspectFit:
    case UIViewContentModeScaleAspectFill: {
      double fx = bw / w, fy = bh / h;
      double f = mode == UIViewContentModeScaleAspectFit ? std::min(fx, fy) : std::max(fx, fy);
      w *= f;
      h *= f;
      break;
    }
    case UIViewContentModeCenter:
      break;
    default:
      return bounds;
  }
  return CGRectMake((bw - w) / 2, (bh - h) / 2, w, h);
}
}  // namespace

void CALayer::renderInContext(CGContextRef context) const {
  cairo_t* cr = CGContextGetCairo(context);
  if (!cr || !view_ || view_->isHidden() || !(view_->alpha() > 0)) return;
  CGRect bounds = view_->bounds();
  cairo_save(cr);
  // A translucent view is drawn whole, then laid over what is below at its opacity, so that its
  // subviews do not show through one another.
  bool translucent = view_->alpha() < 1;
  if (translucent) cairo_push_group(cr);
  if (masksToBounds_) {
    addBoundsShape(cr, bounds, cornerRadius_);
    cairo_clip(cr);
  }
  if (auto color = view_->backgroundColor()) {
    // The corner radius always shapes the background, with or without clipping.
    addBoundsShape(cr, bounds, cornerRadius_);
    CGContextSetFillColorWithColor(context, color->CGColor());
    cairo_fill(cr);
  }
  view_->drawContent(context);
  for (const auto& sub : view_->subviews()) {
    cairo_save(cr);
    cairo_translate(cr, sub->frame().origin.x, sub->frame().origin.y);
    sub->layer()->renderInContext(context);
    cairo_restore(cr);
  }
  if (borderWidth_ > 0 && borderColor_) {
    addBoundsShape(cr, bounds, cornerRadius_, borderWidth_ / 2);
    CGContextSetFillColorWithColor(context, borderColor_->CGColor());
    cairo_set_line_width(cr, borderWidth_);
    cairo_stroke(cr);
  }
  if (translucent) {
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, view_->alpha());
  }
  cairo_restore(cr);
}

UIImageView::UIImageView(CGRect frame) : UIImageView(class_(), frame) {}

UIImageView::UIImageView(Class cls, CGRect frame) : UIView(cls, frame) {}

UIImageView::UIImageView(const std::shared_ptr<UIImage>& image)
    : UIImageView(class_(),
                  image ? CGRectMake(0, 0, image->size().width, image->size().height) : CGRect{}) {
  image_ = image;
}

void UIImageView::drawContent(CGContextRef context) const {
  if (image_) {
    CGContextDrawImage(context, fittedRect(image_->size(), bounds(), contentMode()),
                       image_->CGImage());
  }
}
