#include "uikit/UIStatusBar.h"

#include <cairo.h>

#include <cmath>

#include "uikit/UIColor.h"
#include "uikit/UIDevice.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"

SIM_DEFINE_VIEW_CLASS(UIStatusBar, UIView)

namespace {
constexpr CGFloat kSideInset = 6, kDot = 5.5, kDotGap = 1, kBatteryWidth = 25, kBatteryHeight = 11;

// Five full signal dots.
class StatusBarSignal : public UIView {
 public:
  static Class class_();
  explicit StatusBarSignal(CGRect frame = {}) : StatusBarSignal(class_(), frame) {}
  std::shared_ptr<UIColor> ink = UIColor::blackColor();

  void drawContent(CGContextRef context) const override {
    cairo_t* cr = CGContextGetCairo(context);
    CGContextSetFillColorWithColor(context, ink->CGColor());
    for (int i = 0; i < 5; ++i) {
      double x = i * (kDot + kDotGap) + kDot / 2;
      cairo_new_sub_path(cr);
      cairo_arc(cr, x, bounds().size.height / 2, kDot / 2, 0, 2 * M_PI);
    }
    cairo_fill(cr);
  }

 protected:
  friend struct ::objc_alloc;
  StatusBarSignal(Class cls, CGRect frame) : UIView(cls, frame) {}
};

// A full battery: an outlined body, its fill and the terminal, the terminal at the trailing end.
class StatusBarBattery : public UIView {
 public:
  static Class class_();
  explicit StatusBarBattery(CGRect frame = {}) : StatusBarBattery(class_(), frame) {}
  std::shared_ptr<UIColor> ink = UIColor::blackColor();
  bool mirrored = false;

  void drawContent(CGContextRef context) const override {
    cairo_t* cr = CGContextGetCairo(context);
    cairo_save(cr);
    if (mirrored) {
      cairo_translate(cr, bounds().size.width, 0);
      cairo_scale(cr, -1, 1);
    }
    double y = (bounds().size.height - kBatteryHeight) / 2, w = kBatteryWidth - 2.5;
    CGContextSetFillColorWithColor(context, ink->CGColor());
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, y + 0.5, w - 1, kBatteryHeight - 1);
    cairo_stroke(cr);
    cairo_rectangle(cr, 2, y + 2, w - 4, kBatteryHeight - 4);
    cairo_fill(cr);
    cairo_rectangle(cr, w, y + 3.5, 1.5, kBatteryHeight - 7);
    cairo_fill(cr);
    cairo_restore(cr);
  }

 protected:
  friend struct ::objc_alloc;
  StatusBarBattery(Class cls, CGRect frame) : UIView(cls, frame) {}
};

SIM_DEFINE_VIEW_CLASS(StatusBarSignal, UIView)
SIM_DEFINE_VIEW_CLASS(StatusBarBattery, UIView)

std::shared_ptr<UILabel> item(const std::string& text, bool bold) {
  auto label = make<UILabel>();
  label->setText(text);
  label->setFont(bold ? UIFont::boldSystemFontOfSize(12) : UIFont::systemFontOfSize(12));
  label->sizeToFit();
  return label;
}
}  // namespace

UIStatusBar::UIStatusBar(Class cls, CGRect frame) : UIView(cls, frame) {}

std::shared_ptr<UIStatusBar> UIStatusBar::sharedStatusBar() {
  static std::shared_ptr<UIStatusBar> bar = [] {
    auto made = make<UIStatusBar>();
    made->build();
    return made;
  }();
  return bar;
}

void UIStatusBar::build() {
  carrier_ = item("Carrier", false);
  time_ = item("9:41 AM", true);
  charge_ = item("100%", false);
  signal_ = make<StatusBarSignal>(CGRectMake(0, 0, 5 * kDot + 4 * kDotGap, kHeight));
  battery_ = make<StatusBarBattery>(CGRectMake(0, 0, kBatteryWidth, kHeight));
  for (const auto& view :
       {signal_, std::shared_ptr<UIView>(carrier_), std::shared_ptr<UIView>(time_),
        std::shared_ptr<UIView>(charge_), battery_}) {
    addSubview(view);
  }
  setLightContent(false);
}

void UIStatusBar::setLightContent(bool light) {
  lightContent_ = light;
  auto ink = light ? UIColor::whiteColor() : UIColor::blackColor();
  for (const auto& label : {carrier_, time_, charge_}) label->setTextColor(ink);
  std::static_pointer_cast<StatusBarSignal>(signal_)->ink = ink;
  std::static_pointer_cast<StatusBarBattery>(battery_)->ink = ink;
}

void UIStatusBar::placeIn(CGFloat width) {
  setFrame(CGRectMake(0, 0, width, kHeight));
  bool mirrored = UIApplication::sharedApplication()->userInterfaceLayoutDirection() ==
                  UIUserInterfaceLayoutDirectionRightToLeft;
  std::static_pointer_cast<StatusBarBattery>(battery_)->mirrored = mirrored;
  // Leading: signal, carrier; middle: the time; trailing: the charge, the battery.
  auto at = [&](const std::shared_ptr<UIView>& view, CGFloat x) {
    CGSize s = view->frame().size;
    CGFloat y = (kHeight - s.height) / 2;
    view->setFrame(CGRectMake(mirrored ? width - x - s.width : x, y, s.width, s.height));
  };
  at(signal_, kSideInset);
  at(carrier_, kSideInset + signal_->frame().size.width + 4);
  CGSize timeSize = time_->frame().size;
  time_->setFrame(CGRectMake((width - timeSize.width) / 2, (kHeight - timeSize.height) / 2,
                             timeSize.width, timeSize.height));
  at(battery_, width - kSideInset - kBatteryWidth);
  at(charge_, width - kSideInset - kBatteryWidth - 3 - charge_->frame().size.width);
}
