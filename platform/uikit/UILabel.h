// Labels: a text in a font and colour, drawn with pango in the device's layout direction, and the
// system's label subclasses that list cells use ("UITableViewLabel", "UIDateLabel"; code compares
// these runtime names as strings).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "uikit/NSStringDrawing.h"
#include "uikit/UIView.h"

class UIColor;
class UIFont;

class UILabel : public UIView {
 public:
  static Class class_();
  explicit UILabel(CGRect frame = {});

  // nil and "" both show nothing; code tells them apart (a label "with text").
  const std::optional<std::string>& text() const { return text_; }
  void setText(std::optional<std::string> text) { text_ = std::move(text); }
  std::shared_ptr<UIFont> font() const { return font_; }
  // nil puts the system font of 17 points back, as the platform does.
  void setFont(const std::shared_ptr<UIFont>& font);
  std::shared_ptr<UIColor> textColor() const { return textColor_; }
  void setTextColor(const std::shared_ptr<UIColor>& color);
  NSTextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(NSTextAlignment alignment) { alignment_ = alignment; }
  NSLineBreakMode lineBreakMode() const { return lineBreakMode_; }
  void setLineBreakMode(NSLineBreakMode mode) { lineBreakMode_ = mode; }
  // 1 line, or 0 for as many as the text needs in the width; negative counts as 0.
  long numberOfLines() const { return numberOfLines_; }
  void setNumberOfLines(long lines) { numberOfLines_ = lines < 0 ? 0 : lines; }

  // The size the text needs: one line whole, or wrapped in the width given (0: unlimited).
  CGSize sizeThatFits(CGSize size) const;
  // Resizes the frame to the text, keeping its origin; wrapped labels keep their width.
  void sizeToFit();

  void drawContent(CGContextRef context) const override;
  // The text as drawn in the label's bounds when it is cut; nothing when it shows whole.
  std::optional<std::string> shownText() const;
  // Where the text lies in the label's bounds as drawn; nothing for no text.
  std::optional<CGRect> textFrame() const;

 protected:
  friend struct objc_alloc;
  UILabel(Class cls, CGRect frame);

 private:
  NSLabelTextStyle style() const;

  std::optional<std::string> text_;
  std::shared_ptr<UIFont> font_;
  std::shared_ptr<UIColor> textColor_;
  NSTextAlignment alignment_ = NSTextAlignmentNatural;
  NSLineBreakMode lineBreakMode_ = NSLineBreakByTruncatingTail;
  long numberOfLines_ = 1;
};

// The title and detail labels of the system's table cells.
class UITableViewLabel : public UILabel {
 public:
  static Class class_();
  explicit UITableViewLabel(CGRect frame = {}) : UILabel(class_(), frame) {}

 protected:
  friend struct objc_alloc;
  UITableViewLabel(Class cls, CGRect frame) : UILabel(cls, frame) {}
};

// The date label of the recent-calls rows.
class UIDateLabel : public UITableViewLabel {
 public:
  static Class class_();
  explicit UIDateLabel(CGRect frame = {}) : UIDateLabel(class_(), frame) {}

 protected:
  friend struct objc_alloc;
  UIDateLabel(Class cls, CGRect frame);
};
