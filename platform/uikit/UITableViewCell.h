// A table row: style, reuse identifier, content view, labels, image view, accessory, editing.
// Host cell classes subclass it in the runtime; their instances are UITableViewCells made by
// class_createInstance and set up by initWithStyle:reuseIdentifier:, sent through the runtime so
// that host overrides and replacements run.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "uikit/UIView.h"

enum UITableViewCellStyle : long {
  UITableViewCellStyleDefault = 0,
  UITableViewCellStyleValue1 = 1,
  UITableViewCellStyleValue2 = 2,
  UITableViewCellStyleSubtitle = 3,
};

enum UITableViewCellAccessoryType : long {
  UITableViewCellAccessoryNone = 0,
  UITableViewCellAccessoryDisclosureIndicator = 1,
  UITableViewCellAccessoryDetailDisclosureButton = 2,
  UITableViewCellAccessoryCheckmark = 3,
};

class UITableViewCell : public UIView {
 public:
  static Class class_();
  // A default-style cell without reuse identifier, set up without the runtime.
  explicit UITableViewCell(CGRect frame = {});
  // class_createInstance(cls), then initWithStyle:reuseIdentifier: through the runtime; nil when
  // cls is not a cell class or the init answers nil.
  static std::shared_ptr<UITableViewCell> cellWithStyle(
      UITableViewCellStyle style, const std::optional<std::string>& reuseIdentifier,
      Class cls = class_());

  UITableViewCellStyle style() const { return style_; }
  const std::optional<std::string>& reuseIdentifier() const { return reuseIdentifier_; }

  // Made on first use, as the platform does. The labels are of the label class when one is
  // registered ("UITableViewLabel", else "UILabel"), plain views otherwise; the default style
  // has no detail label (nil).
  std::shared_ptr<UIView> contentView();
  std::shared_ptr<UIView> textLabel();
  std::shared_ptr<UIView> detailTextLabel();
  std::shared_ptr<UIImageView> imageView();

  std::shared_ptr<UIView> accessoryView() const { return accessoryView_; }
  void setAccessoryView(const std::shared_ptr<UIView>& view);
  UITableViewCellAccessoryType accessoryType() const { return accessoryType_; }
  void setAccessoryType(UITableViewCellAccessoryType type);
  // The view that shows the accessory type (_defaultAccessoryView); nil for none.
  std::shared_ptr<UIView> defaultAccessoryView() const { return defaultAccessoryView_; }

  bool isEditing() const { return editing_; }
  // Sends setEditing:animated: through the runtime.
  void setEditing(bool editing, bool animated);

 protected:
  friend struct objc_alloc;
  friend struct UITableViewCellRuntime;
  UITableViewCell(Class cls, CGRect frame);

 private:
  void layOut();

  UITableViewCellStyle style_ = UITableViewCellStyleDefault;
  std::optional<std::string> reuseIdentifier_;
  std::shared_ptr<UIView> contentView_;
  std::shared_ptr<UIView> textLabel_;
  std::shared_ptr<UIView> detailTextLabel_;
  std::shared_ptr<UIImageView> imageView_;
  std::shared_ptr<UIView> accessoryView_;
  std::shared_ptr<UIView> defaultAccessoryView_;
  UITableViewCellAccessoryType accessoryType_ = UITableViewCellAccessoryNone;
  bool editing_ = false;
};
