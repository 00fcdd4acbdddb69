#include "uikit/UITableView.h"

#include <algorithm>
#include <cmath>

#include "foundation/Dispatch.h"
#include "foundation/NSLog.h"
#include "foundation/NSValueTypes.h"
#include "uikit/UIColor.h"
#include "uikit/UIDevice.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"

namespace {

// A data source that never dequeues must not make the queues grow with every reload.
constexpr std::size_t kMaxQueuedCellsPerIdentifier = 32;

std::shared_ptr<UITableView> tableOf(const id& self) {
  return cast<UITableView>(self);
}

id makeTable(Class cls) {
  return objc_alloc::make<UITableView>(cls, CGRect{});
}

// The index's letters: 11-point bold in the tint colour, at least 12 points apart; where they do
// not all fit, every other one gives way to a dot, as the platform's index does.
constexpr CGFloat kIndexLine = 12, kIndexFontSize = 11, kIndexInset = 6;

std::vector<std::string> indexEntries(const std::vector<std::string>& titles, CGFloat height) {
  long room = static_cast<long>((height - 2 * kIndexInset) / kIndexLine);
  long count = static_cast<long>(titles.size());
  if (count <= room || count < 3) return titles;
  // Letters at both ends with dots between: k letters take 2k - 1 lines.
  long letters = std::max(2L, (room + 1) / 2);
  std::vector<std::string> shown;
  for (long i = 0; i < letters; ++i) {
    if (i > 0) shown.emplace_back("\u2022");
    shown.push_back(titles[static_cast<std::size_t>(i * (count - 1) / (letters - 1))]);
  }
  return shown;
}

std::shared_ptr<UIColor> indexColour() {
  return UIColor::colorWithRed(0, 0.478, 1, 1);
}

}  // namespace

// The table's methods as the runtime reaches them.
struct UITableViewRuntime {
  static void reloadData(id self, SEL) {
    if (auto table = tableOf(self)) table->reloadData();
  }
  static void layoutSubviews(id self, SEL) {
    if (auto table = tableOf(self)) table->tile();
  }
  static id dequeue(id self, SEL, id identifier) {
    auto table = tableOf(self);
    auto name = cast<NSString>(identifier);
    return table && name ? table->dequeueReusableCellWithIdentifier(name->value) : nullptr;
  }
  static id cellForRow(id self, SEL, id indexPath) {
    auto table = tableOf(self);
    return table ? table->cellForRowAtIndexPath(cast<NSIndexPath>(indexPath)) : nullptr;
  }
  static id indexPathForCell(id self, SEL, id cell) {
    auto table = tableOf(self);
    return table ? table->indexPathForCell(cast<UIView>(cell)) : nullptr;
  }
  static id visibleCells(id self, SEL) {
    auto table = tableOf(self);
    if (!table) return nullptr;
    auto cells = table->visibleCells();
    return make<NSArray>(std::vector<id>(cells.begin(), cells.end()));
  }
  static void setEditing(id self, SEL, bool editing, bool animated) {
    if (auto table = tableOf(self)) table->setEditing(editing, animated);
  }
  static bool isEditing(id self, SEL) {
    auto table = tableOf(self);
    return table && table->isEditing();
  }
};

Class UITableView::class_() {
  static Class cls = [] {
    using R = UITableViewRuntime;
    Class c = objc_registerClass("UITableView", UIView::class_(), makeTable);
    objc_registerClass("UITableViewHeaderFooterView", UIView::class_());
    objc_registerClass("UITableViewIndex", UIView::class_());
    MethodAdder add{c};
    add("reloadData", R::reloadData, "v@:");
    add("layoutSubviews", R::layoutSubviews, "v@:");
    add("dequeueReusableCellWithIdentifier:", R::dequeue, "@@:@");
    add("cellForRowAtIndexPath:", R::cellForRow, "@@:@");
    add("indexPathForCell:", R::indexPathForCell, "@@:@");
    add("visibleCells", R::visibleCells, "@@:");
    add("setEditing:animated:", R::setEditing, "v@:BB");
    add("isEditing", R::isEditing, "B@:");
    return c;
  }();
  return cls;
}

UITableView::UITableView(CGRect frame) : UITableView(class_(), frame) {}
UITableView::UITableView(Class cls, CGRect frame) : UIView(cls, frame) {}

long UITableView::numberOfRowsInSection(long section) const {
  if (section < 0 || section >= numberOfSections()) return 0;
  return static_cast<long>(rows_[section].size());
}

void UITableView::reloadData() {
  if (!isMainThread()) {
    std::weak_ptr<NSObject> weak = self();
    dispatch_async(dispatch_get_main_queue(), [weak] {
      if (auto table = tableOf(weak.lock())) table->reloadData();
    });
    return;
  }
  reloadNow();
}

void UITableView::reloadNow() {
  if (tiling_) {  // from a data source that reloads inside cellForRow: once the rows are shown
    reloadPending_ = true;
    return;
  }
  id me = self();
  id source = dataSource();
  id heights = delegate();
  if (heights &&
      !::respondsToSelector(heights, sel_registerName("tableView:heightForRowAtIndexPath:")))
    heights = nullptr;

  long sections = 0;
  if (source) {
    sections = ::respondsToSelector(source, sel_registerName("numberOfSectionsInTableView:"))
                   ? objc_msgSend<long(id)>(source, "numberOfSectionsInTableView:", me)
                   : 1;
  }
  rows_.assign(static_cast<std::size_t>(std::max(0L, sections)), {});
  headers_.assign(rows_.size(), {});
  SEL titleForHeader = sel_registerName("tableView:titleForHeaderInSection:");
  bool titled = source && ::respondsToSelector(source, titleForHeader);
  CGFloat y = 0;
  for (long section = 0; section < numberOfSections(); ++section) {
    Header& header = headers_[static_cast<std::size_t>(section)];
    header.top = y;
    if (titled)
      header.title = stringValue(objc_msgSend<id(id, long)>(source, titleForHeader, me, section));
    if (header.title && !header.title->empty()) y += kSectionHeaderHeight;
    long count =
        objc_msgSend<long(id, long)>(source, "tableView:numberOfRowsInSection:", me, section);
    for (long row = 0; row < count; ++row) {
      CGFloat height = rowHeight_;
      if (heights) {
        height = objc_msgSend<double(id, id)>(heights, "tableView:heightForRowAtIndexPath:", me,
                                              id(NSIndexPath::indexPathForRow(row, section)));
        if (!std::isfinite(height) || height < 0) height = 0;
      }
      rows_[section].emplace_back(y, height);
      y += height;
    }
  }
  contentHeight_ = y;
  for (auto& [section, view] : headerViews_) view->removeFromSuperview();
  headerViews_.clear();
  indexTitles_.clear();
  SEL indexTitles = sel_registerName("sectionIndexTitlesForTableView:");
  if (source && ::respondsToSelector(source, indexTitles)) {
    if (auto titles = cast<NSArray>(objc_msgSend<id(id)>(source, indexTitles, me))) {
      for (const id& title : titles->items) indexTitles_.push_back(stringValue(title).value_or(""));
    }
  }

  auto shown = std::move(visible_);
  visible_.clear();
  for (const auto& [row, cell] : shown) enqueue(cell);
  tile();
  layoutIfNeeded();
}

void UITableView::tile() {
  if (tiling_) return;  // a data source that scrolls or reloads from cellForRow
  tiling_ = true;
  CGFloat top = contentOffset_.y, bottom = top + bounds().size.height;
  std::vector<Row> inside;
  for (long section = 0; section < numberOfSections(); ++section) {
    const auto& rows = rows_[section];
    for (long row = 0; row < static_cast<long>(rows.size()); ++row) {
      auto [y, height] = rows[row];
      if (y < bottom && y + height > top) inside.emplace_back(section, row);
    }
  }
  // Rows that left give their cells back first, so that the rows that enter can reuse them.
  std::map<Row, std::shared_ptr<UITableViewCell>> shown;
  for (const Row& row : inside) {
    auto it = visible_.find(row);
    if (it == visible_.end()) continue;
    shown.insert(*it);
    visible_.erase(it);
  }
  for (const auto& [row, cell] : visible_) enqueue(cell);
  visible_.clear();

  CGFloat width = bounds().size.width;
  long empty = 0;
  for (const Row& row : inside) {
    auto cell = shown.count(row) ? shown[row] : askForCell(row);
    if (!cell) {
      // The platform stops the program here; a host's table just shows the row empty.
      if (empty++ == 0) {
        NSLog(
            "UITableView: %s gave no usable cell (nil, not a cell, or one already shown) for "
            "row %ld of section %ld; such rows stay empty",
            object_getClassName(dataSource()), row.second, row.first);
      }
      continue;
    }
    auto [y, height] = rows_[row.first][row.second];
    cell->setFrame(CGRectMake(0, y - top, width, height));
    if (cell->superview().get() != this) {
      addSubview(cell);
      cell->setNeedsLayout();
    }
    visible_[row] = cell;
  }
  placeHeaders();
  placeIndex();
  tiling_ = false;
  if (reloadPending_) {
    reloadPending_ = false;
    reloadNow();
  }
}

// A plain table's headers: a grey band with the title over the section's rows; the header of
// the section at the top stays pinned there until the next header pushes it up.
void UITableView::placeHeaders() {
  CGFloat top = contentOffset_.y, height = bounds().size.height, width = bounds().size.width;
  bool rightToLeft = UIApplication::sharedApplication()->userInterfaceLayoutDirection() ==
                     UIUserInterfaceLayoutDirectionRightToLeft;
  for (long section = 0; section < static_cast<long>(headers_.size()); ++section) {
    const Header& header = headers_[static_cast<std::size_t>(section)];
    auto existing = headerViews_.find(section);
    CGFloat end = section + 1 < static_cast<long>(headers_.size())
                      ? headers_[static_cast<std::size_t>(section) + 1].top
                      : contentHeight_;
    CGFloat y = std::min(std::max(header.top - top, 0.0), end - top - kSectionHeaderHeight);
    bool shows =
        header.title && !header.title->empty() && y < height && y + kSectionHeaderHeight > 0;
    if (!shows) {
      if (existing != headerViews_.end()) {
        existing->second->removeFromSuperview();
        headerViews_.erase(existing);
      }
      continue;
    }
    std::shared_ptr<UIView> view;
    if (existing != headerViews_.end()) {
      view = existing->second;
    } else {
      view = cast<UIView>(class_createInstance(objc_getClass("UITableViewHeaderFooterView")));
      view->setBackgroundColor(UIColor::colorWithRed(0.97, 0.97, 0.97, 1));
      auto label = make<UILabel>();
      label->setText(header.title);
      label->setFont(UIFont::boldSystemFontOfSize(14));
      label->setTextColor(UIColor::blackColor());
      label->setTextAlignment(rightToLeft ? NSTextAlignmentRight : NSTextAlignmentLeft);
      view->addSubview(label);
      headerViews_[section] = view;
    }
    view->setFrame(CGRectMake(0, y, width, kSectionHeaderHeight));
    view->subviews().front()->setFrame(CGRectMake(
        kHeaderInset, 0, std::max<CGFloat>(0, width - 2 * kHeaderInset), kSectionHeaderHeight));
    // In front of the rows.
    view->removeFromSuperview();
    addSubview(view);
  }
}

// The section index along the trailing edge, over the rows, its letters in the middle.
void UITableView::placeIndex() {
  if (index_) index_->removeFromSuperview();
  if (indexTitles_.empty()) {
    index_ = nullptr;
    return;
  }
  CGFloat width = bounds().size.width, height = bounds().size.height;
  bool rightToLeft = UIApplication::sharedApplication()->userInterfaceLayoutDirection() ==
                     UIUserInterfaceLayoutDirectionRightToLeft;
  if (!index_) index_ = cast<UIView>(class_createInstance(objc_getClass("UITableViewIndex")));
  index_->setFrame(CGRectMake(rightToLeft ? 0 : width - kIndexWidth, 0, kIndexWidth, height));
  auto letters = index_->subviews();
  for (const auto& letter : letters) letter->removeFromSuperview();
  auto entries = indexEntries(indexTitles_, height);
  CGFloat y = (height - static_cast<CGFloat>(entries.size()) * kIndexLine) / 2;
  for (const auto& entry : entries) {
    auto letter = make<UILabel>(CGRectMake(0, y, kIndexWidth, kIndexLine));
    letter->setText(entry);
    letter->setFont(UIFont::boldSystemFontOfSize(kIndexFontSize));
    letter->setTextColor(indexColour());
    letter->setTextAlignment(NSTextAlignmentCenter);
    index_->addSubview(letter);
    y += kIndexLine;
  }
  addSubview(index_);
}

std::shared_ptr<UITableViewCell> UITableView::askForCell(const Row& row) {
  id source = dataSource();
  if (!source) return nullptr;
  auto path = NSIndexPath::indexPathForRow(row.second, row.first);
  id answer =
      objc_msgSend<id(id, id)>(source, "tableView:cellForRowAtIndexPath:", self(), id(path));
  auto cell = cast<UITableViewCell>(answer);
  bool alreadyShown = std::any_of(visible_.begin(), visible_.end(),
                                  [&](const auto& entry) { return entry.second == cell; });
  if (!cell || alreadyShown) return nullptr;
  applyEditing(row, cell, false);
  return cell;
}

void UITableView::enqueue(const std::shared_ptr<UITableViewCell>& cell) {
  cell->removeFromSuperview();
  const auto& identifier = cell->reuseIdentifier();
  if (!identifier) return;
  auto& queue = reuseQueues_[*identifier];
  if (queue.size() < kMaxQueuedCellsPerIdentifier &&
      std::find(queue.begin(), queue.end(), cell) == queue.end()) {
    queue.push_back(cell);
  }
}

std::shared_ptr<UITableViewCell> UITableView::dequeueReusableCellWithIdentifier(
    const std::string& identifier) {
  auto& queue = reuseQueues_[identifier];
  if (!queue.empty()) {
    auto cell = queue.back();
    queue.pop_back();
    objc_msgSend<void()>(cell, "prepareForReuse");
    return cell;
  }
  auto registered = registeredClasses_.find(identifier);
  if (registered == registeredClasses_.end()) return nullptr;
  return UITableViewCell::cellWithStyle(UITableViewCellStyleDefault, identifier,
                                        registered->second);
}

void UITableView::registerClass(Class cellClass, const std::string& forCellReuseIdentifier) {
  if (cellClass) {
    registeredClasses_[forCellReuseIdentifier] = cellClass;
  } else {
    registeredClasses_.erase(forCellReuseIdentifier);
  }
}

void UITableView::setContentOffset(CGPoint offset) {
  contentOffset_ = offset;
  tile();
  layoutIfNeeded();
}

std::vector<std::shared_ptr<UITableViewCell>> UITableView::visibleCells() const {
  std::vector<std::shared_ptr<UITableViewCell>> cells;
  for (const auto& [row, cell] : visible_) cells.push_back(cell);
  return cells;
}

std::vector<std::shared_ptr<NSIndexPath>> UITableView::indexPathsForVisibleRows() const {
  std::vector<std::shared_ptr<NSIndexPath>> paths;
  for (const auto& [row, cell] : visible_) {
    paths.push_back(NSIndexPath::indexPathForRow(row.second, row.first));
  }
  return paths;
}

std::shared_ptr<NSIndexPath> UITableView::indexPathForCell(
    const std::shared_ptr<UIView>& cell) const {
  for (const auto& [row, shown] : visible_) {
    if (shown == cell) return NSIndexPath::indexPathForRow(row.second, row.first);
  }
  return nullptr;
}

std::shared_ptr<UITableViewCell> UITableView::cellForRowAtIndexPath(
    const std::shared_ptr<NSIndexPath>& indexPath) const {
  if (!indexPath) return nullptr;
  auto it = visible_.find({indexPath->section(), indexPath->row()});
  return it == visible_.end() ? nullptr : it->second;
}

bool UITableView::canEdit(const Row& row) const {
  id source = dataSource();
  SEL sel = sel_registerName("tableView:canEditRowAtIndexPath:");
  if (!source || !::respondsToSelector(source, sel)) return true;
  auto me = std::const_pointer_cast<NSObject>(shared_from_this());
  return objc_msgSend<bool(id, id)>(source, sel, me,
                                    id(NSIndexPath::indexPathForRow(row.second, row.first)));
}

void UITableView::applyEditing(const Row& row, const std::shared_ptr<UITableViewCell>& cell,
                               bool animated) {
  bool editing = editing_ && canEdit(row);
  if (cell->isEditing() != editing) cell->setEditing(editing, animated);
}

void UITableView::setEditing(bool editing, bool animated) {
  editing_ = editing;
  auto shown = visible_;
  for (const auto& [row, cell] : shown) applyEditing(row, cell, animated);
  layoutIfNeeded();
}
