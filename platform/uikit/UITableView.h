// A table of rows: asks its data source and delegate (any objects, reached through the runtime)
// for rows, cells and heights, shows the cells of the rows inside its height from the content
// offset, and keeps cells that scroll out in a reuse queue per identifier.
//
// Data source: tableView:numberOfRowsInSection: (long(id, long)), numberOfSectionsInTableView:
// (long(id), optional, 1 otherwise), tableView:cellForRowAtIndexPath: (id(id, id)),
// tableView:canEditRowAtIndexPath: (bool(id, id), optional, YES otherwise),
// tableView:titleForHeaderInSection: (id(id, long), optional: a section with a title gets a
// header, which stays pinned at the top while its rows scroll under it),
// sectionIndexTitlesForTableView: (id(id), optional: the index along the trailing edge).
// Delegate: tableView:heightForRowAtIndexPath: (double(id, id), optional, rowHeight otherwise).
// Both are held weakly, as on the platform. Everything runs on the main thread, except that
// reloadData from another thread is carried out on the main queue.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "uikit/NSIndexPath.h"
#include "uikit/UITableViewCell.h"
#include "uikit/UIView.h"

class UITableView : public UIView {
 public:
  static Class class_();
  explicit UITableView(CGRect frame = {});

  id dataSource() const { return dataSource_.lock(); }
  void setDataSource(const id& dataSource) { dataSource_ = dataSource; }
  id delegate() const { return delegate_.lock(); }
  void setDelegate(const id& delegate) { delegate_ = delegate; }

  CGFloat rowHeight() const { return rowHeight_; }
  void setRowHeight(CGFloat height) { rowHeight_ = height > 0 ? height : kDefaultRowHeight; }
  static constexpr CGFloat kDefaultRowHeight = 44;
  static constexpr CGFloat kSectionHeaderHeight = 22, kHeaderInset = 15, kIndexWidth = 15;

  // Asks the data source again for everything and for the visible cells; the cells shown so far
  // go to the reuse queue. From a thread other than the main thread, it is queued on the main
  // queue and returns at once.
  void reloadData();
  long numberOfSections() const { return static_cast<long>(rows_.size()); }
  long numberOfRowsInSection(long section) const;
  CGSize contentSize() const { return CGSizeMake(bounds().size.width, contentHeight_); }

  // Scrolling: the rows inside [offset.y, offset.y + height) are shown. Rows that leave give
  // their cells to the reuse queue; rows that enter are asked for cells.
  CGPoint contentOffset() const { return contentOffset_; }
  void setContentOffset(CGPoint offset);

  // A cell of the identifier that scrolled out, sent prepareForReuse through the runtime; else a
  // new cell of the class registered for the identifier (default style); else nil.
  std::shared_ptr<UITableViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier);
  void registerClass(Class cellClass, const std::string& forCellReuseIdentifier);

  // The shown cells in row order; cells are placed in the table's visible coordinates.
  std::vector<std::shared_ptr<UITableViewCell>> visibleCells() const;
  std::vector<std::shared_ptr<NSIndexPath>> indexPathsForVisibleRows() const;
  std::shared_ptr<NSIndexPath> indexPathForCell(const std::shared_ptr<UIView>& cell) const;
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(
      const std::shared_ptr<NSIndexPath>& indexPath) const;

  // Shown cells follow (setEditing:animated: through the runtime), for the rows the data source
  // lets edit; cells shown later are set up the same way.
  bool isEditing() const { return editing_; }
  void setEditing(bool editing, bool animated);

 protected:
  friend struct objc_alloc;
  friend struct UITableViewRuntime;
  UITableView(Class cls, CGRect frame);

 private:
  using Row = std::pair<long, long>;  // section, row
  void reloadNow();
  void tile();
  void enqueue(const std::shared_ptr<UITableViewCell>& cell);
  bool canEdit(const Row& row) const;
  std::shared_ptr<UITableViewCell> askForCell(const Row& row);
  void applyEditing(const Row& row, const std::shared_ptr<UITableViewCell>& cell, bool animated);
  void placeHeaders();
  void placeIndex();

  std::weak_ptr<NSObject> dataSource_;
  std::weak_ptr<NSObject> delegate_;
  CGFloat rowHeight_ = kDefaultRowHeight;
  CGPoint contentOffset_;
  bool editing_ = false;
  bool tiling_ = false;
  bool reloadPending_ = false;
  // As of the last reload: per section, each row's top and height.
  std::vector<std::vector<std::pair<CGFloat, CGFloat>>> rows_;
  CGFloat contentHeight_ = 0;
  // Per section: where its header (if titled) begins, above its rows.
  struct Header {
    CGFloat top = 0;
    std::optional<std::string> title;
  };
  std::vector<Header> headers_;
  std::map<long, std::shared_ptr<UIView>> headerViews_;
  std::vector<std::string> indexTitles_;
  std::shared_ptr<UIView> index_;
  std::map<Row, std::shared_ptr<UITableViewCell>> visible_;
  std::map<std::string, std::vector<std::shared_ptr<UITableViewCell>>> reuseQueues_;
  std::map<std::string, Class> registeredClasses_;
};
