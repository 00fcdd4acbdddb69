#include "uikit/UITableView.h"

#include <algorithm>
#include <cmath>

#include "foundation/Dispatch.h"
#include "foundation/NSLog.h"
#include "foundation/NSValueTypes.h"

namespace {

// A data source that never dequeues must not make the queues grow with every reload.
constexpr std::size_t kMaxQueuedCellsPerIdentifier = 32;

std::shared_ptr<UITableView> tableOf(const id& self) {
  return cast<UITableView>(self);
}

id makeTable(Class cls) {
  return objc_alloc::make<UITableView>(cls, CGRect{});
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
  CGFloat y = 0;
  for (long section = 0; section < numberOfSections(); ++section) {
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
  tiling_ = false;
  if (reloadPending_) {
    reloadPending_ = false;
    reloadNow();
  }
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
