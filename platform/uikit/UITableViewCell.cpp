#include "uikit/UITableViewCell.h"

#include <algorithm>

#include "foundation/NSValueTypes.h"
#include "uikit/UIImage.h"

namespace {

constexpr CGFloat kMargin = 15;

std::shared_ptr<UITableViewCell> cellOf(const id& self) {
  return cast<UITableViewCell>(self);
}

// The label class of the platform once it is registered, so that labels are real labels.
std::shared_ptr<UIView> makeLabel() {
  for (const char* name : {"UITableViewLabel", "UILabel"}) {
    if (Class cls = objc_getClass(name)) {
      if (auto label = cast<UIView>(class_createInstance(cls))) return label;
    }
  }
  return make<UIView>();
}

CGSize accessorySize(UITableViewCellAccessoryType type) {
  switch (type) {
    case UITableViewCellAccessoryDisclosureIndicator:
      return CGSizeMake(8, 13);
    case UITableViewCellAccessoryDetailDisclosureButton:
      return CGSizeMake(22, 22);
    case UITableViewCellAccessoryCheckmark:
      return CGSizeMake(14, 11);
    default:
      return CGSizeMake(0, 0);
  }
}

id makeCell(Class cls) {
  return objc_alloc::make<UITableViewCell>(cls, CGRect{});
}

}  // namespace

// The cell's methods as the runtime reaches them.
struct UITableViewCellRuntime {
  static id initWithStyle(id self, SEL, long style, id reuseIdentifier) {
    auto cell = cellOf(self);
    if (!cell) return nullptr;
    bool known = style >= UITableViewCellStyleDefault && style <= UITableViewCellStyleSubtitle;
    cell->style_ = known ? static_cast<UITableViewCellStyle>(style) : UITableViewCellStyleDefault;
    auto identifier = cast<NSString>(reuseIdentifier);
    cell->reuseIdentifier_ = identifier ? std::optional(identifier->value) : std::nullopt;
    cell->contentView();
    return self;
  }
  static void layoutSubviews(id self, SEL) {
    if (auto cell = cellOf(self)) cell->layOut();
  }
  static void prepareForReuse(id, SEL) {}
  static void setEditing(id self, SEL, bool editing, bool) {
    auto cell = cellOf(self);
    if (!cell || cell->editing_ == editing) return;
    cell->editing_ = editing;
    cell->setNeedsLayout();
  }
  static bool isEditing(id self, SEL) {
    auto cell = cellOf(self);
    return cell && cell->editing_;
  }
  static id contentView(id self, SEL) {
    auto cell = cellOf(self);
    return cell ? cell->contentView() : nullptr;
  }
  static id textLabel(id self, SEL) {
    auto cell = cellOf(self);
    return cell ? cell->textLabel() : nullptr;
  }
  static id detailTextLabel(id self, SEL) {
    auto cell = cellOf(self);
    return cell ? cell->detailTextLabel() : nullptr;
  }
  static id imageView(id self, SEL) {
    auto cell = cellOf(self);
    return cell ? cell->imageView() : nullptr;
  }
  static id accessoryView(id self, SEL) {
    auto cell = cellOf(self);
    return cell ? cell->accessoryView_ : nullptr;
  }
  static id defaultAccessoryView(id self, SEL) {
    auto cell = cellOf(self);
    return cell ? cell->defaultAccessoryView_ : nullptr;
  }
  static id reuseIdentifier(id self, SEL) {
    auto cell = cellOf(self);
    if (!cell || !cell->reuseIdentifier_) return nullptr;
    return NSString::stringWithUTF8String(*cell->reuseIdentifier_);
  }
};

Class UITableViewCell::class_() {
  static Class cls = [] {
    using R = UITableViewCellRuntime;
    Class c = objc_registerClass("UITableViewCell", UIView::class_(), makeCell);
    MethodAdder add{c};
    add("initWithStyle:reuseIdentifier:", R::initWithStyle, "@@:q@");
    add("layoutSubviews", R::layoutSubviews, "v@:");
    add("prepareForReuse", R::prepareForReuse, "v@:");
    add("setEditing:animated:", R::setEditing, "v@:BB");
    add("isEditing", R::isEditing, "B@:");
    add("contentView", R::contentView, "@@:");
    add("textLabel", R::textLabel, "@@:");
    add("detailTextLabel", R::detailTextLabel, "@@:");
    add("imageView", R::imageView, "@@:");
    add("accessoryView", R::accessoryView, "@@:");
    add("_defaultAccessoryView", R::defaultAccessoryView, "@@:");
    add("reuseIdentifier", R::reuseIdentifier, "@@:");
    return c;
  }();
  return cls;
}

UITableViewCell::UITableViewCell(CGRect frame) : UITableViewCell(class_(), frame) {}
UITableViewCell::UITableViewCell(Class cls, CGRect frame) : UIView(cls, frame) {}

std::shared_ptr<UITableViewCell> UITableViewCell::cellWithStyle(
    UITableViewCellStyle style, const std::optional<std::string>& reuseIdentifier, Class cls) {
  auto cell = cast<UITableViewCell>(class_createInstance(cls));
  if (!cell) return nullptr;
  id identifier = reuseIdentifier ? NSString::stringWithUTF8String(*reuseIdentifier) : nullptr;
  return cast<UITableViewCell>(objc_msgSend<id(long, id)>(
      cell, "initWithStyle:reuseIdentifier:", static_cast<long>(style), identifier));
}

std::shared_ptr<UIView> UITableViewCell::contentView() {
  if (!contentView_) {
    contentView_ = make<UIView>(bounds());
    addSubview(contentView_);
  }
  return contentView_;
}

std::shared_ptr<UIView> UITableViewCell::textLabel() {
  if (!textLabel_) {
    textLabel_ = makeLabel();
    contentView()->addSubview(textLabel_);
  }
  return textLabel_;
}

std::shared_ptr<UIView> UITableViewCell::detailTextLabel() {
  if (style_ == UITableViewCellStyleDefault) return nullptr;
  if (!detailTextLabel_) {
    detailTextLabel_ = makeLabel();
    contentView()->addSubview(detailTextLabel_);
  }
  return detailTextLabel_;
}

std::shared_ptr<UIImageView> UITableViewCell::imageView() {
  if (!imageView_) {
    imageView_ = make<UIImageView>();
    contentView()->addSubview(imageView_);
  }
  return imageView_;
}

void UITableViewCell::setAccessoryView(const std::shared_ptr<UIView>& view) {
  if (accessoryView_ == view) return;
  if (accessoryView_) accessoryView_->removeFromSuperview();
  accessoryView_ = view;
  if (view) addSubview(view);
  setNeedsLayout();
}

void UITableViewCell::setAccessoryType(UITableViewCellAccessoryType type) {
  accessoryType_ = type;
  CGSize size = accessorySize(type);
  if (size.width <= 0) {
    if (defaultAccessoryView_) defaultAccessoryView_->removeFromSuperview();
    defaultAccessoryView_ = nullptr;
  } else {
    if (!defaultAccessoryView_) {
      defaultAccessoryView_ = make<UIView>();
      addSubview(defaultAccessoryView_);
    }
    defaultAccessoryView_->setFrame(CGRectMake(0, 0, size.width, size.height));
  }
  setNeedsLayout();
}

void UITableViewCell::setEditing(bool editing, bool animated) {
  objc_msgSend<void(bool, bool)>(self(), "setEditing:animated:", editing, animated);
}

// The platform's arrangement, from the leading edge: image, then the labels of the style; the
// accessory at the trailing edge, outside the content view.
void UITableViewCell::layOut() {
  CGFloat width = bounds().size.width, height = bounds().size.height;
  CGFloat contentWidth = width;
  if (defaultAccessoryView_) defaultAccessoryView_->setHidden(accessoryView_ != nullptr);
  if (auto accessory = accessoryView_ ? accessoryView_ : defaultAccessoryView_) {
    CGSize size = accessory->frame().size;
    CGFloat x = std::max<CGFloat>(0, width - kMargin - size.width);
    accessory->setFrame(CGRectMake(x, (height - size.height) / 2, size.width, size.height));
    contentWidth = x;
  }
  contentView()->setFrame(CGRectMake(0, 0, contentWidth, height));

  CGFloat x = kMargin;
  if (imageView_) {
    auto image = imageView_->image();
    CGSize size = image ? image->size() : CGSizeMake(0, 0);
    size.height = std::min(size.height, height);
    imageView_->setFrame(CGRectMake(kMargin, (height - size.height) / 2, size.width, size.height));
    if (size.width > 0) x += size.width + kMargin;
  }
  CGFloat w = std::max<CGFloat>(0, contentWidth - x - kMargin);
  auto place = [](const std::shared_ptr<UIView>& label, CGRect frame) {
    if (label) label->setFrame(frame);
  };
  switch (style_) {
    case UITableViewCellStyleValue1:
      place(textLabel_, CGRectMake(x, 0, w / 2, height));
      place(detailTextLabel_, CGRectMake(x + w / 2, 0, w / 2, height));
      break;
    case UITableViewCellStyleValue2:
      place(textLabel_, CGRectMake(x, 0, std::min<CGFloat>(67, w), height));
      place(detailTextLabel_, CGRectMake(x + 73, 0, std::max<CGFloat>(0, w - 73), height));
      break;
    case UITableViewCellStyleSubtitle:
      place(textLabel_, CGRectMake(x, 0, w, height * 0.55));
      place(detailTextLabel_, CGRectMake(x, height * 0.55, w, height * 0.45));
      break;
    default:
      place(textLabel_, CGRectMake(x, 0, w, height));
  }
}
