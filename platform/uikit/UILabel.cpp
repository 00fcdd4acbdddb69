#include "uikit/UILabel.h"

#include <cairo.h>

#include "uikit/UIColor.h"
#include "uikit/UIDevice.h"
#include "uikit/UIFont.h"
#include "uikit/UIGraphics.h"

SIM_DEFINE_VIEW_CLASS(UILabel, UIView)
SIM_DEFINE_VIEW_CLASS(UITableViewLabel, UILabel)
SIM_DEFINE_VIEW_CLASS(UIDateLabel, UITableViewLabel)

UILabel::UILabel(CGRect frame) : UILabel(class_(), frame) {}

UILabel::UILabel(Class cls, CGRect frame)
    : UIView(cls, frame), font_(UIFont::systemFontOfSize(17)), textColor_(UIColor::blackColor()) {}

void UILabel::setFont(const std::shared_ptr<UIFont>& font) {
  font_ = font ? font : UIFont::systemFontOfSize(17);
}

void UILabel::setTextColor(const std::shared_ptr<UIColor>& color) {
  textColor_ = color ? color : UIColor::blackColor();
}

NSLabelTextStyle UILabel::style() const {
  NSLabelTextStyle s;
  s.font = font_;
  s.lineBreakMode = lineBreakMode_;
  s.alignment = alignment_;
  s.numberOfLines = numberOfLines_;
  s.rightToLeft = UIApplication::sharedApplication()->userInterfaceLayoutDirection() ==
                  UIUserInterfaceLayoutDirectionRightToLeft;
  return s;
}

CGSize UILabel::sizeThatFits(CGSize size) const {
  if (!text_ || text_->empty()) return {};
  return NSStringMeasureLabelText(*text_, numberOfLines_ == 1 ? 0 : size.width, style());
}

void UILabel::sizeToFit() {
  CGRect f = frame();
  CGSize fitted = sizeThatFits(f.size);
  if (numberOfLines_ != 1 && f.size.width > 0) fitted.width = f.size.width;
  setFrame(CGRectMake(f.origin.x, f.origin.y, fitted.width, fitted.height));
}

void UILabel::drawContent(CGContextRef context) const {
  if (!text_ || text_->empty() || !context) return;
  CGRect b = bounds();
  NSLabelTextStyle s = style();
  // The text block sits in the middle of the label's height. One line is drawn whole, as UIKit
  // draws it, even where the font's line is taller than the label (descenders stay); wrapped
  // lines that do not fit are cut off.
  s.centredVertically = true;
  cairo_t* cr = CGContextGetCairo(context);
  cairo_save(cr);
  if (numberOfLines_ != 1) {
    cairo_rectangle(cr, 0, 0, b.size.width, b.size.height);
    cairo_clip(cr);
  }
  UIGraphicsPushContext(context);
  textColor_->setFill();
  NSStringDrawLabelText(*text_, b, s);
  UIGraphicsPopContext();
  cairo_restore(cr);
}

std::optional<std::string> UILabel::shownText() const {
  if (!text_ || text_->empty()) return std::nullopt;
  return NSStringShownLabelText(*text_, bounds(), style());
}

std::optional<CGRect> UILabel::textFrame() const {
  if (!text_ || text_->empty()) return std::nullopt;
  NSLabelTextStyle s = style();
  s.centredVertically = true;
  return NSStringLabelTextFrame(*text_, bounds(), s);
}

UIDateLabel::UIDateLabel(Class cls, CGRect frame) : UITableViewLabel(cls, frame) {
  setTextAlignment(NSTextAlignmentRight);
}
