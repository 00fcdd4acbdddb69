#include "apps/ContactListLook.h"

#include <algorithm>

#include "apps/LayoutDirection.h"
#include "uikit/UIColor.h"
#include "uikit/UITableViewCell.h"

namespace contactlists {
namespace {

class SeparatorView : public UIView {
 public:
  static Class class_() {
    static Class cls = [] {
      Class c =
          objc_registerClass("_UITableViewCellSeparatorView", UIView::class_(),
                             [](Class k) -> id { return objc_alloc::make<SeparatorView>(k); });
      class_addMethod(c, sel_registerName("layoutSubviews"), layOut, "v@:");
      return c;
    }();
    return cls;
  }
  explicit SeparatorView(Class cls = class_()) : UIView(cls, CGRectZero) {}
  std::function<CGFloat(UITableViewCell&)> textStart;

 private:
  static void layOut(id self, SEL) {
    auto line = cast<SeparatorView>(self);
    auto cell = line ? cast<UITableViewCell>(line->superview()) : nullptr;
    if (!cell || !line->textStart) return;
    CGRect bounds = cell->bounds();
    CGFloat start = std::clamp<CGFloat>(line->textStart(*cell), 0, bounds.size.width);
    CGFloat y = bounds.size.height - 0.5;
    line->setFrame(apps::rightToLeft() ? CGRectMake(0, y, start, 0.5)
                                       : CGRectMake(start, y, bounds.size.width - start, 0.5));
  }
};

}  // namespace

std::shared_ptr<UIColor> separatorColour() {
  return UIColor::colorWithRed(0.78, 0.78, 0.8, 1);
}

std::shared_ptr<UIView> makeSeparator(std::function<CGFloat(UITableViewCell&)> textStart) {
  auto line = make<SeparatorView>();
  line->setBackgroundColor(separatorColour());
  line->textStart = std::move(textStart);
  return line;
}

}  // namespace contactlists
