// Fonts by family and point size. The system font is a sans-serif family of the installed fonts;
// fontconfig supplies glyphs of other scripts from the other installed families.
#pragma once

#include <memory>
#include <string>

#include "coregraphics/CoreGraphics.h"
#include "runtime/objc.h"

class UIFont : public NSObject {
 public:
  static Class class_();
  UIFont(std::string familyName, CGFloat pointSize, bool bold = false);
  static std::shared_ptr<UIFont> systemFontOfSize(CGFloat pointSize);
  static std::shared_ptr<UIFont> boldSystemFontOfSize(CGFloat pointSize);
  static std::shared_ptr<UIFont> fontWithName(const std::string& name, CGFloat pointSize);

  CGFloat pointSize() const { return pointSize_; }
  const std::string& familyName() const { return family_; }
  std::string fontName() const;
  bool isBold() const { return bold_; }
  std::shared_ptr<UIFont> fontWithSize(CGFloat pointSize) const;
  std::string description() const override;

 private:
  std::string family_;
  CGFloat pointSize_;
  bool bold_;
};
