#include "uikit/UIButton.h"

#include <algorithm>

#include "uikit/NSStringDrawing.h"
#include "uikit/UIColor.h"
#include "uikit/UIDevice.h"
#include "uikit/UIFont.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"

STANDIN_DEFINE_CLASS(UIButton, UIControl)

namespace {
constexpr CGFloat kImageTitleGap = 6;
}  // namespace

UIButton::UIButton(CGRect frame)
    : UIControl(class_(), frame),
      // The system's tint blue.
      titleColor_(UIColor::colorWithRed(0, 122 / 255.0, 1, 1)),
      font_(UIFont::systemFontOfSize(17)) {}

void UIButton::setTitleColor(const std::shared_ptr<UIColor>& color) {
  titleColor_ = color ? color : UIColor::blackColor();
}

void UIButton::setFont(const std::shared_ptr<UIFont>& font) {
  font_ = font ? font : UIFont::systemFontOfSize(17);
}

void UIButton::drawContent(CGContextRef context) const {
  CGRect b = bounds();
  NSLabelTextStyle style;
  style.font = font_;
  style.rightToLeft = UIApplication::sharedApplication()->userInterfaceLayoutDirection() ==
                      UIUserInterfaceLayoutDirectionRightToLeft;
  CGSize picture = image_ ? image_->size() : CGSize{};
  // A picture taller than the button is shrunk to its height, keeping its shape.
  if (picture.height > b.size.height && picture.height > 0) {
    picture = {picture.width * b.size.height / picture.height, b.size.height};
  }
  bool hasTitle = title_ && !title_->empty();
  CGSize text = hasTitle ? NSStringMeasureLabelText(*title_, 0, style) : CGSize{};
  CGFloat gap = image_ && hasTitle ? kImageTitleGap : 0;
  CGFloat textWidth = std::min(text.width, std::max(0.0, b.size.width - picture.width - gap));
  CGFloat x = (b.size.width - (picture.width + gap + textWidth)) / 2;
  // The picture leads: on the right in a right-to-left layout.
  CGFloat imageX = style.rightToLeft ? x + textWidth + gap : x;
  CGFloat textX = style.rightToLeft ? x : x + picture.width + gap;
  if (image_) {
    CGContextDrawImage(
        context,
        CGRectMake(imageX, (b.size.height - picture.height) / 2, picture.width, picture.height),
        image_->CGImage());
  }
  if (hasTitle) {
    UIGraphicsPushContext(context);
    titleColor_->setFill();
    NSStringDrawLabelText(
        *title_, CGRectMake(textX, (b.size.height - text.height) / 2, textWidth, text.height),
        style);
    UIGraphicsPopContext();
  }
}
