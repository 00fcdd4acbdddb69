// The recent-calls list's pictures: a placeholder at once, the real picture from the background,
// never on a cell that shows another row by then; the rows' geometry; the Recents switch.
#include <future>

#include "HookedProcess.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+Monograms.h"
#include "TalvoCBUtils+Settings.h"
#include "apps/CallBarCallRecords.h"
#include "foundation/Dispatch.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSOperationQueue.h"
#include "screens/ScreenRenderer.h"
#include "uikit/NSIndexPath.h"
#include "uikit/UILabel.h"
#include "uikit/UITableView.h"
#include "uikit/UIViewController.h"

namespace {

constexpr double kRow = 56;

class RecentsListHooksTest : public HookedProcessTest {
 protected:
  void show() {
    list = cast<UIViewController>(class_createInstance(objc_getClass("CallBarABViewController")));
    list->view();
    table = cast<UITableView>(objc_msgSend<id()>(list, "tableView"));
    ASSERT_TRUE(table);
  }
  static std::shared_ptr<UIImageView> pictureOf(const std::shared_ptr<UITableViewCell>& cell) {
    return cast<UIImageView>(cell->viewWithTag(3232));
  }
  static std::string sourceOf(const std::shared_ptr<UITableViewCell>& cell) {
    auto picture = pictureOf(cell);
    return picture && picture->image() ? picture->image()->source() : "";
  }
  // The picture's source without its colour: the default picture's colour is drawn at random.
  static std::string withoutColour(std::string source) {
    auto hash = source.find(" #");
    if (hash != std::string::npos) source.erase(hash, 8);
    return source;
  }
  static std::string titleOf(const std::shared_ptr<UITableViewCell>& cell) {
    auto title = cast<UILabel>(object_getIvar<id>(cell, "_titleLabel"));
    return title && title->text() ? *title->text() : "";
  }
  // Once the picture work is done: the shown rows' titles and pictures, a line each.
  std::string settledRows() {
    TalvoCBUtils::queue()->waitUntilAllOperationsAreFinished();
    standin::runMainLoopUntil([] { return standin::mainQueuePendingBlocks() == 0; },
                              std::chrono::seconds(10));
    std::string rows;
    for (const auto& cell : table->visibleCells()) {
      rows.append(titleOf(cell)).append(": ").append(withoutColour(sourceOf(cell))).append("\n");
    }
    return rows;
  }
  // Holds the picture work up on one worker until the promise is kept.
  static std::promise<void> holdPictureWork() {
    auto queue = TalvoCBUtils::queue();
    queue->setMaxConcurrentOperationCount(1);
    std::promise<void> release;
    std::shared_future<void> gate = release.get_future().share();
    queue->addOperationWithBlock([gate] { gate.wait(); });
    return release;
  }
  void scrollBackAndForth() {
    for (int step : {3, 7, 11, 2, 9, 5}) table->setContentOffset(CGPointMake(0, step * kRow));
  }
  static void postSettingsChanged() {
    NSNotificationCenter::defaultCenter().postNotificationName(
        "com.quorvik.TalvoSettingsChangedNotification", nullptr);
  }
  // The list's first row made of one call record with these identifying values, as asked for.
  std::shared_ptr<UITableViewCell> rowOfRecord(std::shared_ptr<NSDictionary> values) {
    values->setObject(NSString::stringWithUTF8String("Anna Haro"), "name");
    auto calls = make<NSArray>(std::vector<id>{callbar::makeCallRecord(values)});
    auto entry = make<NSDictionary>();
    entry->setObject(NSString::stringWithUTF8String("555-522-8243"), "address");
    entry->setObject(id(calls), "calls");
    object_setIvar(list, "_allEntries", id(make<NSArray>(std::vector<id>{entry})));
    return cast<UITableViewCell>(
        objc_msgSend<id(id, id)>(list, "tableView:cellForRowAtIndexPath:", id(table),
                                 id(NSIndexPath::indexPathForRow(0, 0))));
  }
  std::shared_ptr<UIViewController> list;
  std::shared_ptr<UITableView> table;
};

}  // namespace

TEST_F(RecentsListHooksTest, BackgroundPicturesArriveLaterAndNeverOnACellReusedMeanwhile) {
  start();
  // The picture work is held up until the list has scrolled back and forth.
  std::promise<void> release = holdPictureWork();
  show();
  for (const auto& cell : table->visibleCells()) {
    EXPECT_FALSE(sourceOf(cell).empty()) << titleOf(cell);
    EXPECT_EQ(sourceOf(cell).find("photo"), std::string::npos) << titleOf(cell);
  }
  scrollBackAndForth();
  release.set_value();
  auto scrolled = settledRows();

  // A list shown afresh at the same place, nothing held up, shows the same pictures.
  show();
  table->setContentOffset(CGPointMake(0, 5 * kRow));
  EXPECT_EQ(settledRows(), scrolled);
  EXPECT_NE(scrolled.find("photo of contact"), std::string::npos);
}

TEST_F(RecentsListHooksTest, RowsMakeRoomForThePictureAndTheDateOnlyLimitsTheName) {
  start();
  show();
  standin::layoutViewTree(list->view());
  auto cell = table->visibleCells().front();
  CGRect picture = pictureOf(cell)->frame();
  EXPECT_EQ(picture.origin.x, 2);
  EXPECT_EQ(picture.origin.y, (kRow - 40) / 2);
  auto name = cell->viewWithTag(3233), detail = cell->viewWithTag(3234);
  ASSERT_TRUE(name && detail);
  EXPECT_EQ(name->frame().origin.x, 52);
  EXPECT_EQ(detail->frame().origin.x, 52);
  EXPECT_EQ(detail->frame().origin.y, 27);
  auto date = cast<UIView>(object_getIvar<id>(cell, "_dateLabel"));
  EXPECT_EQ(date->tag(), 0);
  EXPECT_LE(CGRectGetMaxX(name->frame()), date->frame().origin.x);
}

TEST_F(RecentsListHooksTest, RightToLeftPicturesSitBeforeTheAccessory) {
  HookedProcessOptions rightToLeft;
  rightToLeft.layoutDirection = 1;
  start(rightToLeft);
  show();
  auto cell = table->visibleCells().front();
  standin::layoutViewTree(list->view());
  double accessory = cell->defaultAccessoryView()->frame().origin.x;
  EXPECT_EQ(pictureOf(cell)->frame().origin.x, accessory - 48);
  // The texts are mirrored too: they end before the picture instead of running off the row.
  CGRect name = cell->viewWithTag(3233)->frame(), detail = cell->viewWithTag(3234)->frame();
  EXPECT_EQ(CGRectGetMaxX(name), accessory - 48 - 10);
  EXPECT_EQ(CGRectGetMaxX(detail), CGRectGetMaxX(name));
  EXPECT_GE(name.origin.x, 0);
  table->setEditing(true, false);
  standin::layoutViewTree(list->view());
  accessory = cell->defaultAccessoryView()->frame().origin.x;
  EXPECT_EQ(pictureOf(cell)->frame().origin.x, accessory - 70);
}

TEST_F(RecentsListHooksTest, TheRecentsSwitchRemovesAndBringsBackThePictures) {
  start();
  show();
  auto pictures = [&] {
    int count = 0;
    for (const auto& cell : table->visibleCells()) count += pictureOf(cell) != nullptr;
    return count;
  };
  int rows = static_cast<int>(table->visibleCells().size());
  EXPECT_EQ(pictures(), rows);
  setSwitches({{"TalvoCBEnabledRecents", false}});
  postSettingsChanged();
  EXPECT_EQ(pictures(), 0);
  setSwitches({});
  postSettingsChanged();
  EXPECT_EQ(pictures(), rows);
}

TEST_F(RecentsListHooksTest, ASettingsChangeWhilePicturesAreDrawnReachesTheWorkersWhole) {
  start();
  std::promise<void> release = holdPictureWork();
  show();
  scrollBackAndForth();
  // The worker draws the rows' pictures, reading the switches, while the main thread reads the
  // file again and again, as the settings notification's handler does.
  release.set_value();
  for (int change = 0; change < 20; ++change) {
    setSwitches({{"TalvoCBEnabledRoundedPictures", change % 2 == 1}});
  }
  postSettingsChanged();
  std::string rows = settledRows();
  EXPECT_EQ(rows.find(": \n"), std::string::npos) << rows;  // every row has its picture
  EXPECT_TRUE(TalvoCBUtils::isRoundedPicsEnabled());
}

TEST_F(RecentsListHooksTest, ACachedRowShowsItsPictureAtOnceAndTheRecordsUidWins) {
  start();
  show();
  // The shown rows' own picture work is done first, so that only what follows is counted.
  TalvoCBUtils::queue()->waitUntilAllOperationsAreFinished();
  std::promise<void> release = holdPictureWork();
  // The record's uid (1) and its address-book identifier (3) differ: the uid is the contact.
  auto johns = TalvoCBUtils::monogramImage(std::string("JA"), 1L);
  TalvoCBUtils::setContactImage(johns, 1);
  auto values = make<NSDictionary>();
  values->setObject(NSNumber::numberWithInt(1), "uid");
  values->setObject(NSNumber::numberWithInt(3), "recordId");
  auto cell = rowOfRecord(values);
  ASSERT_TRUE(cell && pictureOf(cell));
  EXPECT_EQ(pictureOf(cell)->image(), johns);
  EXPECT_EQ(TalvoCBUtils::queue()->operationCount(), 1u);  // the held gate alone
  release.set_value();
}

TEST_F(RecentsListHooksTest, WithMonogramsOffAnUncachedRowShowsThePlaceholderFirst) {
  start();
  show();
  // The shown rows' own picture work is done first, so that only what follows is counted.
  TalvoCBUtils::queue()->waitUntilAllOperationsAreFinished();
  std::promise<void> release = holdPictureWork();
  setSwitches({{"TalvoCBEnabledMonogramPictures", false}});
  TalvoCBUtils::clearImageCache();
  auto values = make<NSDictionary>();
  values->setObject(NSNumber::numberWithInt(3), "recordId");
  auto cell = rowOfRecord(values);
  ASSERT_TRUE(cell && pictureOf(cell));
  EXPECT_EQ(sourceOf(cell).rfind("bundle picture recent", 0), 0u) << sourceOf(cell);
  EXPECT_EQ(TalvoCBUtils::queue()->operationCount(), 2u);  // the gate and this row's picture
  release.set_value();
  TalvoCBUtils::queue()->waitUntilAllOperationsAreFinished();
}
