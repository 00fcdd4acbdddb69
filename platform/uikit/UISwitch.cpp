#include "uikit/UISwitch.h"

#include <cairo.h>

#include <cmath>

#include "uikit/UIDevice.h"

namespace {
struct UISwitchRuntime {
  static bool isOn(id self, SEL) {
    auto control = cast<UISwitch>(self);
    return control && control->isOn();
  }
  static void setOn(id self, SEL, bool on) {
    if (auto control = cast<UISwitch>(self)) control->setOn(on);
  }
  static void setOnAnimated(id self, SEL, bool on, bool) { setOn(self, nullptr, on); }
};

constexpr CGFloat kWidth = 51, kHeight = 31, kRim = 1.5, kKnobInset = 2;

void addPill(cairo_t* cr, double x, double y, double w, double h) {
  double r = h / 2;
  cairo_new_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, M_PI / 2);
  cairo_arc(cr, x + r, y + r, r, M_PI / 2, 3 * M_PI / 2);
  cairo_close_path(cr);
}
}  // namespace

Class UISwitch::class_() {
  static Class cls = [] {
    Class c = objc_registerClass("UISwitch", UIControl::class_());
    using R = UISwitchRuntime;
    class_addMethod(c, sel_registerName("isOn"), R::isOn, "B@:");
    class_addMethod(c, sel_registerName("setOn:"), R::setOn, "v@:B");
    class_addMethod(c, sel_registerName("setOn:animated:"), R::setOnAnimated, "v@:BB");
    return c;
  }();
  return cls;
}

UISwitch::UISwitch(CGRect frame) : UIControl(class_(), frame) {
  setFrame(frame);
}

void UISwitch::setFrame(CGRect frame) {
  UIControl::setFrame(CGRectMake(frame.origin.x, frame.origin.y, kWidth, kHeight));
}

bool UISwitch::mirrored() const {
  return UIView::respondsToUserInterfaceLayoutDirection() &&
         UIView::userInterfaceLayoutDirectionForSemanticContentAttribute(
             semanticContentAttribute()) == UIUserInterfaceLayoutDirectionRightToLeft;
}

void UISwitch::drawContent(CGContextRef context) const {
  cairo_t* cr = CGContextGetCairo(context);
  if (!cr) return;
  cairo_save(cr);
  if (on_) {
    addPill(cr, 0, 0, kWidth, kHeight);
    cairo_set_source_rgb(cr, 76 / 255.0, 217 / 255.0, 100 / 255.0);
    cairo_fill(cr);
  } else {
    addPill(cr, kRim / 2, kRim / 2, kWidth - kRim, kHeight - kRim);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 229 / 255.0, 229 / 255.0, 229 / 255.0);
    cairo_set_line_width(cr, kRim);
    cairo_stroke(cr);
  }
  double r = kHeight / 2 - kKnobInset;
  // From version 9 a right-to-left switch is mirrored: on puts the knob at the left.
  bool trailingKnob = on_ != mirrored();
  double cx = trailingKnob ? kWidth - kKnobInset - r : kKnobInset + r;
  cairo_new_path(cr);
  cairo_arc(cr, cx, kHeight / 2, r, 0, 2 * M_PI);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_fill_preserve(cr);
  // The knob's soft edge, so that it shows on the white of an off switch.
  cairo_set_source_rgba(cr, 0, 0, 0, 0.15);
  cairo_set_line_width(cr, 0.5);
  cairo_stroke(cr);
  cairo_restore(cr);
}
