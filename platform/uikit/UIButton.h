// Buttons with a picture and a title side by side, centred in the bounds.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "uikit/UIView.h"

class UIColor;
class UIFont;
class UIImage;

class UIButton : public UIView {
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

  // What a tap does (the target and action of touch-up-inside).
  void setAction(std::function<void()> action) { action_ = std::move(action); }
  void sendTap() const {
    if (action_) action_();
  }

  void drawContent(CGContextRef context) const override;

 private:
  std::shared_ptr<UIImage> image_;
  std::optional<std::string> title_;
  std::shared_ptr<UIColor> titleColor_;
  std::shared_ptr<UIFont> font_;
  std::function<void()> action_;
};
