// The contact-list hook bodies inside SpringBoard: the version 9 list's monogram and placeholder
// rules and its label geometry, the members list's drawing window and editing geometry. In the
// sample book contact 1 has a photo and 3 (Anna Haro) has none.
#include <sqlite3.h>

#include <chrono>
#include <vector>

#include "HookedProcess.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+Probes.h"
#include "addressbook/ABAddressBook.h"
#include "addressbook/ABDatabase.h"
#include "apps/HostClasses.h"
#include "apps/MemberRows.h"
#include "contacts/CNContact.h"
#include "foundation/Dispatch.h"
#include "foundation/NSNotificationCenter.h"
#include "screens/ViewTreeDump.h"
#include "uikit/NSIndexPath.h"
#include "uikit/UILabel.h"
#include "uikit/UITableView.h"

namespace {
std::shared_ptr<UITableViewCell> prepared;  // what the host's list answers
HostSignature::CellForRow hostCellForRow;
HostSignature::DrawText hostDrawText;
float drawnWidth = 0;
HostSignature::Void tableReloadData;
std::vector<const NSObject*> reloaded;

void recordReload(id self, SEL cmd) {
  reloaded.push_back(self.get());
  tableReloadData(self, cmd);
}

id answerPrepared(id, SEL, id, id) {
  return prepared;
}
CGSize recordWidth(id, SEL, id, id, id, CGSize, CGPoint, float width, id, long) {
  drawnWidth = width;
  return {};
}

std::string shown(const std::shared_ptr<UIView>& cell) {
  auto picture = cast<UIImageView>(cell->viewWithTag(3232));
  if (!picture) return "no picture view";
  return standin::describeViewTree(picture).image.value_or("nothing");
}
bool startsWith(const std::string& text, const std::string& prefix) {
  return text.rfind(prefix, 0) == 0;
}
}  // namespace

class ContactListHookTest : public HookedProcessTest {
 protected:
  void startVersion9() {
    HookedProcessOptions options;
    options.beforeModuleLoads = [] {
      MSHookMessageEx(objc_getClass("CNContactListViewController"),
                      sel_registerName("tableView:cellForRowAtIndexPath:"), answerPrepared,
                      &hostCellForRow);
    };
    start(options);
    list = class_createInstance(objc_getClass("CNContactListViewController"));
  }
  // A row of the version 9 list for the person, with the name keys only, under the title.
  std::shared_ptr<UITableViewCell> request(ABRecordID person, const std::string& title,
                                           const id& table = make<UITableView>()) {
    prepared = UITableViewCell::cellWithStyle(UITableViewCellStyleDefault, std::string("c"),
                                              objc_getClass("CNContactListTableViewCell"));
    ABAddressBookRef book = ABAddressBookCreate();
    object_setIvar(prepared, "_contact",
                   id(CNContact::contactWithPerson(ABAddressBookGetPersonWithRecordID(book, person),
                                                   {CNContactGivenNameKey})));
    CFRelease(book);
    cast<UILabel>(prepared->textLabel())->setText(title);
    return cast<UITableViewCell>(objc_msgSend<id(id, id)>(
        list, "tableView:cellForRowAtIndexPath:", table, id(NSIndexPath::indexPathForRow(0, 0))));
  }
  id list;
};

TEST_F(ContactListHookTest, TitleAfterATabGivesTheMonogramAndMonogramsOffTheCachedPlaceholder) {
  startVersion9();
  if (HasFatalFailure() || IsSkipped()) return;
  EXPECT_TRUE(startsWith(shown(request(3, "Zed Alpha\tBob Carter ")), "monogram BC"));
  EXPECT_TRUE(startsWith(shown(request(1, "John Appleseed")), "photo of contact 1"));

  // Contact 1 keeps its full-size picture but loses the thumbnail: data available, none to draw.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(device->real(kABImagesDatabaseDevicePath).c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "DELETE FROM ABThumbnailImage", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  setSwitches({{"TalvoCBEnabledMonogramPictures", false}});
  TalvoCBUtils::clearImageCache();
  EXPECT_TRUE(startsWith(shown(request(1, "John Appleseed")), "bundle picture recent"));
  EXPECT_TRUE(TalvoCBUtils::getContactImageInCache(1));
  EXPECT_TRUE(startsWith(shown(request(3, "Anna Haro")), "bundle picture recent"));
  EXPECT_FALSE(TalvoCBUtils::getContactImageInCache(3));

  // The list switch off takes the picture view out at the next request.
  setSwitches({{"TalvoCBEnabledContacts", false}});
  EXPECT_EQ(shown(request(1, "John Appleseed")), "no picture view");
}

TEST_F(ContactListHookTest, TitleLosesWidthOnlyWhenItsTextIsLong) {
  startVersion9();
  if (HasFatalFailure() || IsSkipped()) return;
  auto layOut = [&](const std::string& title) {
    auto cell = request(3, title);
    cell->setFrame(CGRectMake(0, 0, 320, 44));
    cell->layoutIfNeeded();
    return cell->textLabel()->frame();
  };
  CGRect shortTitle = layOut("Al");
  EXPECT_EQ(shortTitle.origin.x, 50);
  EXPECT_EQ(shortTitle.size.width, 320 - 2 * 15);
  CGRect longTitle = layOut(std::string(60, 'W'));
  EXPECT_EQ(longTitle.origin.x, 50);
  EXPECT_EQ(longTitle.size.width, 320 - 2 * 15 - 40);
}

TEST_F(ContactListHookTest, MembersDrawingWindowAndEditingGeometry) {
  HookedProcessOptions options;
  options.systemVersion = "8.4";
  options.beforeModuleLoads = [] {
    MSHookMessageEx(objc_getClass("ABMemberCell"),
                    sel_registerName("_drawText:withColor:shadowColor:shadowOffset:atPoint:"
                                     "forWidth:withFont:lineBreakMode:"),
                    recordWidth, &hostDrawText);
  };
  start(options);
  if (HasFatalFailure() || IsSkipped()) return;
  auto cell = UITableViewCell::cellWithStyle(UITableViewCellStyleDefault, std::string("m"),
                                             objc_getClass("ABMemberCell"));
  auto draw = [&](double x, float width) {
    objc_msgSend<CGSize(id, id, id, CGSize, CGPoint, float, id, long)>(
        cell,
        "_drawText:withColor:shadowColor:shadowOffset:atPoint:forWidth:withFont:lineBreakMode:",
        NSString::stringWithUTF8String("Anna"), id(), id(), CGSizeMake(0, 0), CGPointMake(x, 10),
        width, id(), 4L);
    return drawnWidth;
  };
  EXPECT_EQ(draw(150, 80), 120);   // ends at 230, inside the window
  EXPECT_EQ(draw(150, 100), 100);  // ends at 250
  EXPECT_EQ(draw(127, 80), 120);   // ends at 207, the window's first point
  EXPECT_EQ(draw(167, 80), 80);    // ends at 247, outside

  contactlists::setMemberCellPerson(cell, contactlists::makePersonObject(3, "Anna", "Haro"));
  auto table = make<UITableView>(CGRectMake(0, 0, 320, 400));
  table->addSubview(cell);
  table->setEditing(true, false);
  cell->setEditing(true, false);
  cell->setFrame(CGRectMake(0, 0, 320, 44));
  auto pictureView = make<UIImageView>();
  pictureView->setTag(3232);
  cell->addSubview(pictureView);
  cell->setNeedsLayout();
  cell->layoutIfNeeded();
  auto name = cast<UIView>(objc_msgSend<id()>(cell, "contactNameView"));
  double screenWidth = TalvoCBUtils::screenWidth();
  EXPECT_EQ(pictureView->frame().origin.x, 37);
  EXPECT_EQ(name->frame().origin.x, 40);
  EXPECT_EQ(name->frame().size.width, screenWidth - 40 - 25);

  // Switched off, a layout pass only clears the picture and gives the name its place back.
  setSwitches({{"TalvoCBEnabled", false}});
  cell->setNeedsLayout();
  cell->layoutIfNeeded();
  EXPECT_FALSE(pictureView->image());
  EXPECT_EQ(pictureView->superview(), cell);
  EXPECT_EQ(name->frame().origin.x, 0);
  EXPECT_EQ(name->frame().size.width, screenWidth - 25);
}

TEST_F(ContactListHookTest, TitlesAreTrimmedOfUnicodeWhiteSpace) {
  startVersion9();
  if (HasFatalFailure() || IsSkipped()) return;
  // No-break spaces and a line separator around the second name: its own initials, not a blank's.
  EXPECT_TRUE(startsWith(shown(request(3, "Zed\t\u00A0\u2028Bob Carter\u00A0")), "monogram BC"))
      << shown(request(3, "Zed\t\u00A0\u2028Bob Carter\u00A0"));
}

TEST_F(ContactListHookTest, ASettingsChangeReloadsEveryListThatAskedForARow) {
  startVersion9();
  if (HasFatalFailure() || IsSkipped()) return;
  MSHookMessageEx(objc_getClass("UITableView"), sel_registerName("reloadData"), recordReload,
                  &tableReloadData);
  id mainList = make<UITableView>(), searchResults = make<UITableView>();
  request(3, "Anna Haro", mainList);
  request(3, "Anna Haro", searchResults);  // a search: its results ask last
  request(1, "John Appleseed", mainList);
  request(1, "John Appleseed");  // a list that has gone by the time of the change
  reloaded.clear();
  CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(),
                                       "com.quorvik.TalvoCBRecentsEnabledNotification", nullptr,
                                       nullptr, true);
  EXPECT_TRUE(
      standin::runMainLoopUntil([] { return reloaded.size() >= 2; }, std::chrono::seconds(10)));
  EXPECT_EQ(reloaded, (std::vector<const NSObject*>{mainList.get(), searchResults.get()}));
}
