#include "preferences/PSListCells.h"

#include <cairo.h>

#include <algorithm>

#include "foundation/Device.h"
#include "foundation/NSValueTypes.h"
#include "preferences/PSListController.h"
#include "uikit/UIColor.h"
#include "uikit/UIControl.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"
#include "uikit/UIStatusBar.h"
#include "uikit/UISwitch.h"

namespace psl {
namespace {

// The key under which a row's switch keeps its specifier.
const char kControlSpecifier = 0;
constexpr CGFloat kBarHeight = 64;
constexpr CGFloat kMargin = 15;
constexpr CGFloat kFooterFontSize = 13;
// The grouped table's spacing: a group without a header opens with 35 points (17.5 below the
// previous group, 17.5 above its own rows); a header's text ends 7 points above the rows, 38
// points of header in all (55.5 for the first group); a footer's text starts 8 points below its
// group's rows and keeps 10 under it; the table ends 17.5 points below the last footer.
constexpr CGFloat kFirstGap = 35, kHalfGap = 17.5, kHeader = 38, kFirstHeader = 55.5;
constexpr CGFloat kHeaderBottom = 7, kFooterTop = 8, kFooterBottom = 10;
// The back button: the chevron 8 points in from the edge, its title 6 points past it.
constexpr CGFloat kBackInset = 8, kChevronWidth = 13, kChevronHeight = 21, kBackGap = 6;

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
  auto label = make<UILabel>(CGRectMake(kMargin, kFooterTop, width - 2 * kMargin, 0));
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

// The part of a gap that closes the group before it.
CGFloat footerHeight(const std::optional<std::string>& text, CGFloat width) {
  if (!text || text->empty()) return kHalfGap;
  return kFooterTop + footerLabel(*text, width)->frame().size.height + kFooterBottom;
}

std::optional<std::string> headerText(const std::vector<std::shared_ptr<PSSpecifier>>& rows,
                                      long row) {
  if (row >= static_cast<long>(rows.size())) return std::nullopt;
  auto name = rows[static_cast<std::size_t>(row)]->name();
  if (!name || name->empty()) return std::nullopt;
  std::string upper = *name;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return upper;
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
  if (auto text = headerText(rows, row)) {
    auto header = make<UILabel>();
    header->setText(text);
    header->setFont(UIFont::systemFontOfSize(kFooterFontSize));
    header->setTextColor(sectionTextColour());
    header->setTextAlignment(rightToLeft() ? NSTextAlignmentRight : NSTextAlignmentLeft);
    CGFloat line = header->sizeThatFits(CGSizeMake(0, 0)).height;
    header->setFrame(CGRectMake(kMargin, bottom - kHeaderBottom - line, width - 2 * kMargin, line));
    cell->contentView()->addSubview(header);
  }
  return cell;
}

// A hairline across the row at y, from x to the far edge.
void addHairline(const std::shared_ptr<UITableViewCell>& cell, CGFloat x, CGFloat y,
                 CGFloat width) {
  auto line = make<UIView>(CGRectMake(x, y, width - x, 0.5));
  line->setBackgroundColor(UIColor::colorWithRed(0.78, 0.78, 0.8, 1));
  cell->addSubview(line);
}

// The bar's back chevron, stroked in the tint colour; right to left it points the other way.
class BackIndicatorView : public UIView {
 public:
  static Class class_() {
    static Class cls =
        objc_registerClass("_UINavigationBarBackIndicatorView", UIView::class_(),
                           [](Class c) -> id { return objc_alloc::make<BackIndicatorView>(c); });
    return cls;
  }
  explicit BackIndicatorView(Class cls = class_()) : UIView(cls, CGRectZero) {}

  void drawContent(CGContextRef context) const override {
    cairo_t* cr = CGContextGetCairo(context);
    if (!cr) return;
    CGFloat w = bounds().size.width, h = bounds().size.height, inset = 1.5;
    CGFloat tip = rightToLeft() ? w - inset : inset, tail = rightToLeft() ? inset : w - inset;
    cairo_save(cr);
    CGContextSetFillColorWithColor(context, tintColour()->CGColor());
    cairo_set_line_width(cr, 3);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, tail, inset);
    cairo_line_to(cr, tip, h / 2);
    cairo_line_to(cr, tail, h - inset);
    cairo_stroke(cr);
    cairo_restore(cr);
  }
};

// The bar's back button at its leading edge: the chevron and the title of the page before.
void addBackButton(const std::shared_ptr<UIView>& bar, const std::string& title, CGFloat width) {
  constexpr CGFloat kTop = UIStatusBar::kHeight, kHeight = kBarHeight - UIStatusBar::kHeight;
  auto label = make<UILabel>();
  label->setText(title);
  label->setFont(UIFont::systemFontOfSize(17));
  label->setTextColor(tintColour());
  CGFloat textWidth = label->sizeThatFits(CGSizeMake(0, 0)).width;
  // Frames from the leading edge.
  auto at = [width](CGFloat x, CGFloat y, CGFloat w, CGFloat h) {
    return CGRectMake(rightToLeft() ? width - x - w : x, y, w, h);
  };
  auto chevron = make<BackIndicatorView>();
  chevron->setFrame(
      at(kBackInset, kTop + (kHeight - kChevronHeight) / 2, kChevronWidth, kChevronHeight));
  label->setFrame(at(kBackInset + kChevronWidth + kBackGap, kTop, textWidth, kHeight));
  label->setTextAlignment(rightToLeft() ? NSTextAlignmentRight : NSTextAlignmentLeft);
  bar->addSubview(chevron);
  bar->addSubview(label);
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
  if (!page->backTitle.empty()) addBackButton(bar, page->backTitle, size.width);
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
  bool header = headerText(rows, row).has_value();
  if (row == 0) return header ? kFirstHeader : kFirstGap;
  CGFloat footer = footerHeight(footerClosedBy(rows, row), width);
  if (row >= static_cast<long>(rows.size())) return footer + kHalfGap;
  return footer + (header ? kHeader : kHalfGap);
}

std::shared_ptr<PSSpecifier> specifierOfControl(const id& control) {
  return cast<PSSpecifier>(objc_getAssociatedObject(control, &kControlSpecifier));
}

std::shared_ptr<UITableViewCell> makeRowCell(const std::shared_ptr<PSListController>& page,
                                             const std::vector<std::shared_ptr<PSSpecifier>>& rows,
                                             long row, CGFloat width) {
  if (isGap(rows, row)) return gapCell(rows, row, width);
  const auto& specifier = rows[static_cast<std::size_t>(row)];
  bool valued = specifier->cellType() == PSTitleValueCell;
  auto cell = UITableViewCell::cellWithStyle(
      valued ? UITableViewCellStyleValue1 : UITableViewCellStyleDefault, std::nullopt,
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
    case PSTitleValueCell:
      // The value in grey at the trailing edge.
      if (auto value = cast<UILabel>(cell->detailTextLabel())) {
        value->setText(
            stringValue(objc_msgSend<id(id)>(page, "readPreferenceValue:", id(specifier))));
        value->setTextColor(UIColor::colorWithRed(0.56, 0.56, 0.58, 1));
        value->setTextAlignment(rightToLeft() ? NSTextAlignmentLeft : NSTextAlignmentRight);
      }
      break;
    default:
      break;
  }
  // A group is framed by hairlines across the table; its rows are parted by inset ones.
  constexpr CGFloat kHeight = UITableView::kDefaultRowHeight;
  if (row == 0 || isGap(rows, row - 1)) addHairline(cell, 0, 0, width);
  addHairline(cell, isGap(rows, row + 1) ? 0 : kMargin, kHeight - 0.5, width);
  return cell;
}

}  // namespace psl
