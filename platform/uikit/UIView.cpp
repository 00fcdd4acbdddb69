#include "uikit/UIView.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "uikit/UIColor.h"
#include "uikit/UIImage.h"

SIM_DEFINE_CLASS(CALayer, NSObject)

namespace {
id makeView(Class cls) {
  return objc_alloc::make<UIView>(cls, CGRect{});
}
id makeImageView(Class cls) {
  return objc_alloc::make<UIImageView>(cls, CGRect{});
}
void layoutNothing(id, SEL) {}
}  // namespace

Class UIView::class_() {
  static Class cls = [] {
    Class view = objc_registerClass("UIView", NSObject::class_(), makeView);
    class_addMethod(view, sel_registerName("layoutSubviews"), layoutNothing, "v@:");
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

namespace {
// A rounded rectangle of the bounds, as the layer's corner radius shapes it.
void addBoundsShape(cairo_t* cr, CGRect b, CGFloat radius) {
  double r = std::min({radius, b.size.width / 2, b.size.height / 2});
  cairo_new_path(cr);
  if (r <= 0) {
    cairo_rectangle(cr, 0, 0, b.size.width, b.size.height);
    return;
  }
  double w = b.size.width, h = b.size.height;
  cairo_new_sub_path(cr);
  cairo_arc(cr, w - r, r, r, -M_PI / 2, 0);
  cairo_arc(cr, w - r, h - r, r, 0, M_PI / 2);
  cairo_arc(cr, r, h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, r, r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}
}  // namespace

void CALayer::renderInContext(CGContextRef context) const {
  cairo_t* cr = CGContextGetCairo(context);
  if (!cr || !view_ || view_->isHidden()) return;
  CGRect bounds = view_->bounds();
  cairo_save(cr);
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
  if (image_) CGContextDrawImage(context, bounds(), image_->CGImage());
}
