// Buttons with a picture and a title side by side, centred in the bounds. A tap is the
// touch-up-inside actions.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "uikit/UIControl.h"

class UIColor;
class UIFont;
class UIImage;

class UIButton : public UIControl {
 public:
  static Class class_();
  explicit UIButton(CGRect frame = {});

  std::shared_ptr<UIImage> image() const { return image_; }
  void setImage(const std::shared_ptr<UIImage>& image) { image_ = image; }
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> title) { title_ = std::move(title); }
  std::shared_ptr<UIColor> titleColor() const { return titleColor_; }
  void setTitleColor(const std::shared_ptr<UIColor>& color);
  std::shared_ptr<UIFont> font() const { return font_; }
  void setFont(const std::shared_ptr<UIFont>& font);

  void drawContent(CGContextRef context) const override;

 private:
  std::shared_ptr<UIImage> image_;
  std::optional<std::string> title_;
  std::shared_ptr<UIColor> titleColor_;
  std::shared_ptr<UIFont> font_;
};
