#include "preferences/PSListCells.h"

#include <algorithm>

#include "foundation/Device.h"
#include "foundation/NSValueTypes.h"
#include "preferences/PSListController.h"
#include "uikit/UIColor.h"
#include "uikit/UIControl.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"
#include "uikit/UISwitch.h"

namespace psl {
namespace {

// The key under which a row's switch keeps its specifier.
const char kControlSpecifier = 0;
constexpr CGFloat kBarHeight = 64;
constexpr CGFloat kGroupGap = 35;
constexpr CGFloat kMargin = 15;
constexpr CGFloat kFooterFontSize = 13;

std::shared_ptr<UIColor> groupedBackground() {
  return UIColor::colorWithRed(0.937, 0.937, 0.957, 1);
}
std::shared_ptr<UIColor> sectionTextColour() {
  return UIColor::colorWithRed(0.43, 0.43, 0.45, 1);
}
std::shared_ptr<UIColor> tintColour() {
  return UIColor::colorWithRed(0, 0.478, 1, 1);
}

bool rightToLeft() {
  return standin::deviceProfile().layoutDirection == 1;
}

// The footer of the group that row `row` closes: the last group row before it.
std::optional<std::string> footerClosedBy(const std::vector<std::shared_ptr<PSSpecifier>>& rows,
                                          long row) {
  for (long i = std::min<long>(row, static_cast<long>(rows.size())) - 1; i >= 0; --i) {
    if (rows[static_cast<std::size_t>(i)]->cellType() == PSGroupCell) {
      return rows[static_cast<std::size_t>(i)]->footerText();
    }
  }
  return std::nullopt;
}

std::shared_ptr<UILabel> footerLabel(const std::string& text, CGFloat width) {
  auto label = make<UILabel>(CGRectMake(kMargin, 8, width - 2 * kMargin, 0));
  label->setText(text);
  label->setFont(UIFont::systemFontOfSize(kFooterFontSize));
  label->setTextColor(sectionTextColour());
  label->setNumberOfLines(0);
  label->setTextAlignment(NSTextAlignmentNatural);
  label->sizeToFit();
  if (rightToLeft()) {
    CGRect f = label->frame();
    label->setFrame(
        CGRectMake(width - kMargin - f.size.width, f.origin.y, f.size.width, f.size.height));
  }
  return label;
}

CGFloat footerHeight(const std::optional<std::string>& text, CGFloat width) {
  if (!text || text->empty()) return 0;
  return footerLabel(*text, width)->frame().size.height + 8;
}

bool isGap(const std::vector<std::shared_ptr<PSSpecifier>>& rows, long row) {
  return row >= static_cast<long>(rows.size()) ||
         rows[static_cast<std::size_t>(row)]->cellType() == PSGroupCell;
}

std::shared_ptr<UITableViewCell> gapCell(const std::vector<std::shared_ptr<PSSpecifier>>& rows,
                                         long row, CGFloat width) {
  auto cell = UITableViewCell::cellWithStyle(UITableViewCellStyleDefault, std::nullopt);
  cell->setBackgroundColor(UIColor::clearColor());
  cell->contentView()->setBackgroundColor(UIColor::clearColor());
  if (auto label = cast<UILabel>(cell->textLabel())) label->setText(std::nullopt);
  CGFloat bottom = rowHeight(rows, row, width);
  if (auto footer = footerClosedBy(rows, row); footer && !footer->empty()) {
    cell->contentView()->addSubview(footerLabel(*footer, width));
  }
  if (row < static_cast<long>(rows.size())) {
    if (auto name = rows[static_cast<std::size_t>(row)]->name(); name && !name->empty()) {
      auto header = make<UILabel>(CGRectMake(kMargin, bottom - 26, width - 2 * kMargin, 18));
      std::string upper = *name;
      std::transform(upper.begin(), upper.end(), upper.begin(),
                     [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
      header->setText(upper);
      header->setFont(UIFont::systemFontOfSize(kFooterFontSize));
      header->setTextColor(sectionTextColour());
      header->setTextAlignment(rightToLeft() ? NSTextAlignmentRight : NSTextAlignmentLeft);
      cell->contentView()->addSubview(header);
    }
  }
  return cell;
}

void addHairline(const std::shared_ptr<UITableViewCell>& cell, CGFloat width, CGFloat height) {
  auto line = make<UIView>(CGRectMake(kMargin, height - 0.5, width - kMargin, 0.5));
  line->setBackgroundColor(UIColor::colorWithRed(0.78, 0.78, 0.8, 1));
  cell->addSubview(line);
}

void mirrorSubviews(const std::shared_ptr<UIView>& view) {
  CGFloat width = view->bounds().size.width;
  for (const auto& subview : view->subviews()) {
    CGRect f = subview->frame();
    subview->setFrame(
        CGRectMake(width - f.origin.x - f.size.width, f.origin.y, f.size.width, f.size.height));
  }
}

// A row cell that lays itself out as the system's does and then, right to left, mirrors its
// parts: the switch or chevron at the leading edge, the title at the trailing one.
struct PSTableCellRuntime {
  static Class cellClass() {
    static Class cls = [] {
      Class c = objc_registerClass("PSTableCell", UITableViewCell::class_());
      class_addMethod(c, sel_registerName("layoutSubviews"), layoutSubviews, "v@:");
      return c;
    }();
    return cls;
  }
  static void layoutSubviews(id self, SEL cmd) {
    objc_msgSendSuper<void()>(cellClass(), self, cmd);
    auto cell = cast<UITableViewCell>(self);
    if (!cell || !rightToLeft()) return;
    mirrorSubviews(cell);
    mirrorSubviews(cell->contentView());
  }
};

}  // namespace

std::shared_ptr<UIView> makePageView(const std::shared_ptr<PSListController>& page,
                                     std::shared_ptr<UITableView>& table) {
  CGSize size = CGSizeMake(standin::deviceProfile().width, standin::deviceProfile().height);
  // The page's rows exist before the table first asks for them.
  page->shownSpecifiers();
  auto view = make<UIView>(CGRectMake(0, 0, size.width, size.height));
  view->setBackgroundColor(groupedBackground());
  auto bar = make<UIView>(CGRectMake(0, 0, size.width, kBarHeight));
  bar->setBackgroundColor(UIColor::colorWithRed(0.97, 0.97, 0.97, 1));
  auto title = make<UILabel>(CGRectMake(0, 20, size.width, kBarHeight - 20));
  title->setText(page->title);
  title->setFont(UIFont::boldSystemFontOfSize(17));
  title->setTextAlignment(NSTextAlignmentCenter);
  bar->addSubview(title);
  auto rim = make<UIView>(CGRectMake(0, kBarHeight - 0.5, size.width, 0.5));
  rim->setBackgroundColor(UIColor::colorWithRed(0.7, 0.7, 0.7, 1));
  bar->addSubview(rim);
  table = make<UITableView>(CGRectMake(0, kBarHeight, size.width, size.height - kBarHeight));
  table->setBackgroundColor(groupedBackground());
  table->setDataSource(page);
  table->setDelegate(page);
  view->addSubview(table);
  view->addSubview(bar);
  table->reloadData();
  return view;
}

double rowHeight(const std::vector<std::shared_ptr<PSSpecifier>>& rows, long row, CGFloat width) {
  if (!isGap(rows, row)) return UITableView::kDefaultRowHeight;
  CGFloat footer = footerHeight(footerClosedBy(rows, row), width);
  if (row >= static_cast<long>(rows.size())) return footer + 20;
  return footer + kGroupGap;
}

std::shared_ptr<PSSpecifier> specifierOfControl(const id& control) {
  return cast<PSSpecifier>(objc_getAssociatedObject(control, &kControlSpecifier));
}

std::shared_ptr<UITableViewCell> makeRowCell(const std::shared_ptr<PSListController>& page,
                                             const std::vector<std::shared_ptr<PSSpecifier>>& rows,
                                             long row, CGFloat width) {
  if (isGap(rows, row)) return gapCell(rows, row, width);
  const auto& specifier = rows[static_cast<std::size_t>(row)];
  auto cell = UITableViewCell::cellWithStyle(UITableViewCellStyleDefault, std::nullopt,
                                             PSTableCellRuntime::cellClass());
  cell->setBackgroundColor(UIColor::whiteColor());
  auto label = cast<UILabel>(cell->textLabel());
  if (label) {
    label->setText(specifier->name());
    label->setTextAlignment(rightToLeft() ? NSTextAlignmentRight : NSTextAlignmentLeft);
  }
  switch (specifier->cellType()) {
    case PSSwitchCell: {
      auto control = make<UISwitch>();
      id value = objc_msgSend<id(id)>(page, "readPreferenceValue:", id(specifier));
      control->setOn(boolValue(value) != specifier->negate());
      objc_setAssociatedObject(control, &kControlSpecifier, specifier, OBJC_ASSOCIATION_RETAIN);
      objc_msgSend<void(id, SEL, unsigned long)>(
          control, "addTarget:action:forControlEvents:", id(page),
          sel_registerName("switchValueChanged:"), UIControlEventValueChanged);
      cell->setAccessoryView(control);
      break;
    }
    case PSButtonCell:
      if (label) label->setTextColor(tintColour());
      break;
    case PSLinkCell: {
      cell->setAccessoryType(UITableViewCellAccessoryDisclosureIndicator);
      // The chevron, drawn as the platform's grey glyph; right to left, text layout mirrors it.
      auto chevron = make<UILabel>(CGRectMake(0, 0, 12, UITableView::kDefaultRowHeight));
      chevron->setText("\u203A");
      chevron->setFont(UIFont::systemFontOfSize(26));
      chevron->setTextColor(UIColor::colorWithRed(0.78, 0.78, 0.8, 1));
      cell->setAccessoryView(chevron);
      break;
    }
    default:
      break;
  }
  if (!isGap(rows, row + 1)) addHairline(cell, width, UITableView::kDefaultRowHeight);
  return cell;
}

}  // namespace psl
