// Tables and cells: rows asked through the runtime, reuse, scrolling, layout passes, editing,
// host cell classes, and reloads from other threads.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "apps/HostClasses.h"
#include "foundation/Dispatch.h"
#include "foundation/NSThreadPerform.h"
#include "uikit/UITableView.h"
#include "uikit/UIViewController.h"

namespace {

// A data source of any class: a plain object of a runtime class with the methods added.
class Source : public NSObject {
 public:
  explicit Source(Class cls) : NSObject(cls) {}
  std::vector<long> rows = {20};
  Class cellClass = UITableViewCell::class_();
  std::set<long> locked;  // rows that cannot be edited
  int cellsMade = 0;
  int cellsAsked = 0;
  bool askedOnMainThread = true;
};

long sections(id self, SEL, id) {
  return static_cast<long>(cast<Source>(self)->rows.size());
}
long rowsIn(id self, SEL, id, long section) {
  return cast<Source>(self)->rows.at(section);
}
id cellFor(id self, SEL, id tableView, id indexPath) {
  auto source = cast<Source>(self);
  ++source->cellsAsked;
  source->askedOnMainThread = source->askedOnMainThread && isMainThread();
  auto cell = cast<UITableView>(tableView)->dequeueReusableCellWithIdentifier("Row");
  if (!cell) {
    cell = UITableViewCell::cellWithStyle(UITableViewCellStyleSubtitle, "Row", source->cellClass);
    ++source->cellsMade;
  }
  auto path = cast<NSIndexPath>(indexPath);
  cell->setTag(path->section() * 1000 + path->row());
  return cell;
}
bool canEdit(id self, SEL, id, id indexPath) {
  return !cast<Source>(self)->locked.count(cast<NSIndexPath>(indexPath)->row());
}
double tallRows(id, SEL, id, id) {
  return 100;
}

Class sourceClass() {
  static Class cls = [] {
    Class c = objc_registerClass("TableTestSource", NSObject::class_());
    class_addMethod(c, sel_registerName("numberOfSectionsInTableView:"), sections, "q@:@");
    class_addMethod(c, sel_registerName("tableView:numberOfRowsInSection:"), rowsIn, "q@:@q");
    class_addMethod(c, sel_registerName("tableView:cellForRowAtIndexPath:"), cellFor, "@@:@@");
    class_addMethod(c, sel_registerName("tableView:canEditRowAtIndexPath:"), canEdit, "B@:@@");
    return c;
  }();
  return cls;
}

std::shared_ptr<Source> makeSource(Class cls = sourceClass()) {
  return make<Source>(cls);
}

std::shared_ptr<UITableView> makeTable(const std::shared_ptr<Source>& source) {
  auto table = make<UITableView>(CGRectMake(0, 0, 320, 440));
  table->setDataSource(source);
  table->reloadData();
  return table;
}

std::vector<long> tagsOf(const std::vector<std::shared_ptr<UITableViewCell>>& cells) {
  std::vector<long> tags;
  for (const auto& cell : cells) tags.push_back(cell->tag());
  return tags;
}

// The add-on's way: a replacement of the cell's init adds a picture view of its own.
HostSignature::InitWithStyle replacedInit;
id initAddingPicture(id self, SEL cmd, long style, id reuseIdentifier) {
  id cell = replacedInit(self, cmd, style, reuseIdentifier);
  auto picture = make<UIImageView>(CGRectMake(2, 2, 40, 40));
  picture->setTag(3232);
  cast<UIView>(cell)->addSubview(picture);
  return cell;
}
int reuses = 0;
void countReuse(id, SEL) {
  ++reuses;
}

HostSignature::CellForRow replacedCellFor;
int replacementAsked = 0;
id countingCellFor(id self, SEL cmd, id tableView, id indexPath) {
  ++replacementAsked;
  return replacedCellFor(self, cmd, tableView, indexPath);
}

HostSignature::Void hostLayout;
int layoutPasses = 0;
void layoutMovingTheImage(id self, SEL cmd) {
  hostLayout(self, cmd);
  ++layoutPasses;
  // After the platform's layout, as the add-on moves a cell's views.
  auto cell = cast<UITableViewCell>(self);
  cell->imageView()->setFrame(CGRectMake(2, 2, 40, 40));
}

std::vector<long>& layoutOrder() {
  static std::vector<long> order;
  return order;
}
void noteLayout(id self, SEL) {
  layoutOrder().push_back(cast<UIView>(self)->tag());
}

}  // namespace

TEST(TableView, ShowsTheRowsInsideItsHeight) {
  auto source = makeSource();
  source->rows = {20, 3};
  auto table = makeTable(source);
  EXPECT_EQ(table->numberOfSections(), 2);
  EXPECT_EQ(table->numberOfRowsInSection(1), 3);
  EXPECT_EQ(table->contentSize().height, 23 * 44);
  // 440 points of 44-point rows: ten rows, placed one under the other.
  auto cells = table->visibleCells();
  ASSERT_EQ(cells.size(), 10u);
  EXPECT_EQ(tagsOf(cells), (std::vector<long>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(cells[3]->frame().origin.y, 132);
  EXPECT_EQ(cells[3]->frame().size.width, 320);
  EXPECT_EQ(cells[3]->superview(), table);

  auto path = table->indexPathForCell(cells[3]);
  ASSERT_TRUE(path);
  EXPECT_TRUE(path->isEqual(*NSIndexPath::indexPathForRow(3, 0)));
  EXPECT_FALSE(path->isEqual(*NSIndexPath::indexPathForRow(3, 1)));
  EXPECT_EQ(table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(3, 0)), cells[3]);
  EXPECT_FALSE(table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(15, 0)));

  // Scrolled to the end: rows of the second section too.
  table->setContentOffset(CGPointMake(0, 23 * 44 - 440));
  EXPECT_EQ(tagsOf(table->visibleCells()).back(), 1002);

  // Heights answered by a delegate.
  Class tall = objc_registerClass("TableTestTallDelegate", NSObject::class_());
  class_addMethod(tall, sel_registerName("tableView:heightForRowAtIndexPath:"), tallRows, "d@:@@");
  id delegate = class_createInstance(tall);
  table->setDelegate(delegate);
  table->setContentOffset(CGPointMake(0, 0));
  table->reloadData();
  EXPECT_EQ(table->visibleCells().size(), 5u);
  EXPECT_EQ(table->visibleCells()[1]->frame().size.height, 100);
}

TEST(TableView, ScrolledOutCellsComeBackWithWhatAReplacementAdded) {
  Class cellClass = objc_registerClass("TableTestPictureCell", UITableViewCell::class_());
  MSHookMessageEx(cellClass, sel_registerName("initWithStyle:reuseIdentifier:"), initAddingPicture,
                  &replacedInit);
  class_addMethod(cellClass, sel_registerName("prepareForReuse"), countReuse, "v@:");
  auto source = makeSource();
  source->cellClass = cellClass;
  auto table = makeTable(source);
  ASSERT_EQ(source->cellsMade, 10);
  std::set<std::shared_ptr<UITableViewCell>> first;
  for (const auto& cell : table->visibleCells()) first.insert(cell);

  reuses = 0;
  table->setContentOffset(CGPointMake(0, 440));
  auto cells = table->visibleCells();
  EXPECT_EQ(tagsOf(cells), (std::vector<long>{10, 11, 12, 13, 14, 15, 16, 17, 18, 19}));
  EXPECT_EQ(source->cellsMade, 10);  // nothing new: every cell came back from the queue
  EXPECT_EQ(reuses, 10);
  for (const auto& cell : cells) {
    EXPECT_TRUE(first.count(cell));
    EXPECT_STREQ(object_getClassName(cell), "TableTestPictureCell");
    ASSERT_TRUE(cell->viewWithTag(3232)) << "row " << cell->tag();
    EXPECT_EQ(cell->viewWithTag(3232)->superview(), cell);
  }

  // Half a screen on: the rows still shown keep their cells and are not asked for again.
  int asked = source->cellsAsked;
  auto row12 = table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(12, 0));
  table->setContentOffset(CGPointMake(0, 220));
  EXPECT_EQ(tagsOf(table->visibleCells()).front(), 5);
  EXPECT_EQ(table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(12, 0)), row12);
  EXPECT_EQ(source->cellsAsked, asked + 5);
}

TEST(TableView, ReloadAsksThroughTheRuntimeSoReplacementsRun) {
  Class hooked = objc_registerClass("TableTestHookedSource", sourceClass());
  MSHookMessageEx(hooked, sel_registerName("tableView:cellForRowAtIndexPath:"), countingCellFor,
                  &replacedCellFor);
  auto source = makeSource(hooked);
  replacementAsked = 0;
  auto table = makeTable(source);
  EXPECT_EQ(replacementAsked, 10);
  performSelectorOnMainThread(table, sel_registerName("reloadData"), nullptr, true);
  EXPECT_EQ(replacementAsked, 20);
  EXPECT_EQ(table->visibleCells().size(), 10u);

  // A data source that answers no cell leaves its row empty instead of bringing the host down.
  Class empty = objc_registerClass("TableTestNoCells", sourceClass());
  class_addMethod(
      empty, sel_registerName("tableView:cellForRowAtIndexPath:"),
      +[](id, SEL, id, id) -> id { return nullptr; }, "@@:@@");
  auto nothing = makeTable(makeSource(empty));
  EXPECT_TRUE(nothing->visibleCells().empty());
}

TEST(TableView, EditingFollowsTheDataSourceForShownAndLaterCells) {
  auto source = makeSource();
  source->locked = {1, 12};
  auto table = makeTable(source);
  table->setEditing(true, false);
  for (const auto& cell : table->visibleCells()) {
    EXPECT_EQ(cell->isEditing(), cell->tag() != 1) << "row " << cell->tag();
  }
  table->setContentOffset(CGPointMake(0, 440));
  for (const auto& cell : table->visibleCells()) {
    EXPECT_EQ(cell->isEditing(), cell->tag() != 12) << "row " << cell->tag();
  }
  objc_msgSend<void(bool, bool)>(table, "setEditing:animated:", false, true);
  for (const auto& cell : table->visibleCells()) EXPECT_FALSE(cell->isEditing());
}

TEST(TableView, ReloadFromAWorkerThreadTakesEffectOnTheMainQueue) {
  auto source = makeSource();
  source->rows = {3};
  auto table = makeTable(source);
  ASSERT_EQ(table->visibleCells().size(), 3u);

  source->rows = {5};
  std::thread([table] { table->reloadData(); }).join();
  EXPECT_EQ(table->visibleCells().size(), 3u);  // not touched from the worker
  EXPECT_TRUE(standin::runMainLoopUntil([&] { return table->visibleCells().size() == 5; },
                                        std::chrono::seconds(5)));

  // The add-on's settings handler: reloadData on the main thread, waiting for it.
  source->rows = {7};
  std::atomic<bool> returned = false;
  std::thread worker([&] {
    performSelectorOnMainThread(table, sel_registerName("reloadData"), nullptr, true);
    returned = true;
  });
  EXPECT_TRUE(standin::runMainLoopUntil([&] { return returned.load(); }, std::chrono::seconds(5)));
  worker.join();
  EXPECT_EQ(table->visibleCells().size(), 7u);  // done by the time the worker went on
  EXPECT_TRUE(source->askedOnMainThread);
}

TEST(TableViewCell, HostCellClassesMakeRealCells) {
  standin::apps::registerCallBarClasses();
  standin::apps::registerContactsClasses();
  standin::apps::registerAddressBookUIClasses();
  for (const char* name :
       {"CallBarTableViewTransparentCell", "CNContactListTableViewCell", "ABMemberCell"}) {
    id object = class_createInstance(objc_getClass(name));
    ASSERT_TRUE(cast<UITableViewCell>(object)) << name;
    EXPECT_STREQ(object_getClassName(object), name);
    EXPECT_TRUE(isKindOfClass(object, UIView::class_()));
  }
  EXPECT_TRUE(
      cast<UIViewController>(class_createInstance(objc_getClass("CNContactListViewController"))));

  // Host init reaches the platform's: content view, labels of the style, reuse identifier.
  auto cell = UITableViewCell::cellWithStyle(UITableViewCellStyleValue1, "Recent",
                                             objc_getClass("CallBarTableViewTransparentCell"));
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->style(), UITableViewCellStyleValue1);
  EXPECT_EQ(cell->reuseIdentifier(), "Recent");
  EXPECT_TRUE(cell->contentView());
  EXPECT_EQ(objc_msgSend<id()>(cell, "contentView"), cell->contentView());
  ASSERT_TRUE(cell->detailTextLabel());
  EXPECT_EQ(cell->detailTextLabel()->superview(), cell->contentView());
  EXPECT_FALSE(
      UITableViewCell::cellWithStyle(UITableViewCellStyleDefault, "Plain")->detailTextLabel());

  // CallBar's cell has a detail button of its own; the platform's accessory on a plain host cell.
  cell = UITableViewCell::cellWithStyle(UITableViewCellStyleDefault, "Member",
                                        objc_getClass("ABMemberCell"));
  ASSERT_TRUE(cell);
  EXPECT_EQ(objc_msgSend<id()>(cell, "_defaultAccessoryView"), nullptr);
  cell->setAccessoryType(UITableViewCellAccessoryDisclosureIndicator);
  auto accessory = cast<UIView>(objc_msgSend<id()>(cell, "_defaultAccessoryView"));
  ASSERT_TRUE(accessory);
  cell->setFrame(CGRectMake(0, 0, 320, 44));
  cell->layoutIfNeeded();
  EXPECT_EQ(accessory->frame().origin.x, 320 - 15 - 8);
  EXPECT_EQ(cell->contentView()->frame().size.width, accessory->frame().origin.x);
}

TEST(TableViewCell, AReplacedLayoutSubviewsOfAHostCellRunsInALayoutPass) {
  // A host cell that lays out nothing of its own.
  standin::apps::registerContactsClasses();
  Class host = objc_getClass("CNContactListTableViewCell");
  static bool hooked = false;
  if (!hooked) {
    MSHookMessageEx(host, sel_registerName("layoutSubviews"), layoutMovingTheImage, &hostLayout);
    hooked = true;
  }
  auto source = makeSource();
  source->cellClass = host;
  source->rows = {2};
  layoutPasses = 0;
  auto table = makeTable(source);
  EXPECT_EQ(layoutPasses, 2);
  auto cell = table->visibleCells().at(0);
  // The host's layout reached the platform's (the content view fills the cell), and the
  // replacement's move came after it.
  EXPECT_EQ(cell->contentView()->frame().size.width, 320);
  EXPECT_EQ(cell->imageView()->frame().origin.x, 2);

  // Only marked views are laid out again, parents before their subviews.
  table->layoutIfNeeded();
  EXPECT_EQ(layoutPasses, 2);
  cell->setNeedsLayout();
  table->layoutIfNeeded();
  EXPECT_EQ(layoutPasses, 3);

  Class noting = objc_registerClass("TableTestNotingView", UIView::class_());
  class_addMethod(noting, sel_registerName("layoutSubviews"), noteLayout, "v@:");
  auto top = cast<UIView>(class_createInstance(noting));
  auto middle = cast<UIView>(class_createInstance(noting));
  auto leaf = cast<UIView>(class_createInstance(noting));
  top->setTag(1);
  middle->setTag(2);
  leaf->setTag(3);
  middle->addSubview(leaf);
  top->addSubview(middle);
  layoutOrder().clear();
  top->layoutIfNeeded();
  EXPECT_EQ(layoutOrder(), (std::vector<long>{1, 2, 3}));
}
