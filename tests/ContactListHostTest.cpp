// The system's contact lists in real host processes, and changes made by other processes: the
// settings tool, the address-book tool, and this test writing the database itself.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <thread>

#include "RollbackJournal.h"
#include "SampleDevice.h"
#include "Subprocess.h"
#include "TALCBSettings.h"
#include "TemporaryDevice.h"
#include "ViewDump.h"
#include "addressbook/ABDatabase.h"
#include "foundation/Device.h"
#include "foundation/NSNotificationCenter.h"

namespace {

using namespace std::chrono_literals;
constexpr const char* kSpringBoard = "com.apple.springboard";
constexpr const char* kContactsApp = "com.apple.MobileAddressBook";
constexpr const char* kBookChanged = "__ABDataBaseChangedByOtherProcessNotification";
constexpr long kPictureTag = 3232;

DeviceProfile profileOf(const std::string& version, bool rightToLeft) {
  DeviceProfile profile;
  profile.systemVersion = version;
  profile.layoutDirection = rightToLeft ? 1 : 0;
  profile.deriveFromScreen();
  return profile;
}

// A device with the hand-picked book (contact 1 has a photo, 3 is Anna Haro without one).
struct ListDevice {
  explicit ListDevice(const std::string& version = "9.0.2", bool rightToLeft = false)
      : device(profileOf(version, rightToLeft)) {
    sample::SampleOptions options;
    options.profile = profileOf(version, rightToLeft);
    std::string error;
    EXPECT_TRUE(sample::writeSampleDevice(device.root(), options, nullptr, &error)) << error;
  }
  std::vector<std::string> host(const std::string& bundle,
                                const std::vector<std::string>& actions) {
    std::vector<std::string> argv = {"talvocb-host", "--root", device.root(), "--bundle-id",
                                     bundle};
    for (const auto& a : actions) argv.insert(argv.end(), {"--do", a});
    return argv;
  }
  DumpedView screen(const std::string& bundle, std::vector<std::string> actions) {
    std::string dump = dumpPath("screen");
    actions.push_back("dump " + dump);
    ProcessResult run = runProgram(host(bundle, actions));
    EXPECT_EQ(run.status, 0) << run.err;
    return DumpReader::readFile(dump);
  }
  std::string dumpPath(const std::string& name) const {
    return device.real("/tmp/" + name + ".json");
  }
  std::string log() const { return device.readFile("/tmp/quorvik.log"); }
  void tool(const std::vector<std::string>& words) {
    std::vector<std::string> argv = {"talvocb", "--root", device.root()};
    argv.insert(argv.end(), words.begin(), words.end());
    ProcessResult run = runProgram(argv);
    EXPECT_EQ(run.status, 0) << run.err;
  }
  TemporaryDevice device;
};

std::vector<const DumpedView*> cellsOf(const DumpedView& screen) {
  auto cells = screen.find([](const DumpedView& v) {
    return v.className == "CNContactListTableViewCell" || v.className == "ABMemberCell";
  });
  std::sort(cells.begin(), cells.end(),
            [](const DumpedView* a, const DumpedView* b) { return a->frame[1] < b->frame[1]; });
  return cells;
}
const DumpedView* pictureOf(const DumpedView& cell) {
  for (const DumpedView& view : cell.subviews) {
    if (view.tag == kPictureTag) return &view;
  }
  return nullptr;
}
// What each row's picture view shows, "" for a row without one.
std::vector<std::string> pictures(const DumpedView& screen) {
  std::vector<std::string> out;
  for (const DumpedView* cell : cellsOf(screen)) {
    const DumpedView* picture = pictureOf(*cell);
    out.push_back(picture ? picture->image : "");
  }
  return out;
}
bool startsWith(const std::string& text, const std::string& prefix) {
  return text.rfind(prefix, 0) == 0;
}
// The row's name: the version 9 cell's label, or the members cell's drawn name (not in the dump).
std::string titleOf(const DumpedView& cell) {
  return cell.subviews.front().subviews.empty() ? "" : cell.subviews.front().subviews.front().text;
}
std::string pictureOfRow(const DumpedView& screen, const std::string& title) {
  for (const DumpedView* cell : cellsOf(screen)) {
    if (titleOf(*cell) == title) return pictureOf(*cell) ? pictureOf(*cell)->image : "";
  }
  return "no row " + title;
}
std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

void expectPicturesInEveryRow(const DumpedView& screen, const std::string& cellClass) {
  auto cells = cellsOf(screen);
  ASSERT_GT(cells.size(), 4u);
  for (const DumpedView* cell : cells) {
    EXPECT_EQ(cell->className, cellClass);
    const DumpedView* picture = pictureOf(*cell);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->frame[2], 40);
    EXPECT_TRUE(startsWith(picture->image, "photo") || startsWith(picture->image, "monogram"))
        << picture->image;
  }
  auto shown = pictures(screen);
  EXPECT_TRUE(std::any_of(shown.begin(), shown.end(),
                          [](const std::string& image) { return startsWith(image, "photo"); }));
}

void sql(const std::string& path, const std::string& statement) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db);
  sqlite3_close(db);
}
void postBookChanged() {
  CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), kBookChanged,
                                       nullptr, nullptr, true);
}

}  // namespace

class ContactListVersions : public ::testing::TestWithParam<const char*> {};

// Each version's list in SpringBoard has the add-on's pictures; the Contacts application keeps
// the system's rows.
TEST_P(ContactListVersions, PicturesInSpringBoardOnlyAndTheSystemsRowsElsewhere) {
  std::string version = GetParam();
  bool v9 = version == "9.0.2";
  ListDevice phone(version);
  std::string cellClass = v9 ? "CNContactListTableViewCell" : "ABMemberCell";
  expectPicturesInEveryRow(phone.screen(kSpringBoard, {"contacts"}), cellClass);
  // The members list's search results, on every version.
  auto found = phone.screen(kSpringBoard, {"search Jo"});
  EXPECT_EQ(pictures(found).size(), 3u);
  EXPECT_TRUE(startsWith(pictures(found).front(), "photo"));

  auto own = phone.screen(kContactsApp, {"contacts"});
  auto cells = cellsOf(own);
  ASSERT_GT(cells.size(), 8u);
  for (const DumpedView* cell : cells) {
    EXPECT_FALSE(pictureOf(*cell));
    const DumpedView& text = cell->subviews.front().subviews.front();
    EXPECT_EQ(text.frame[0], v9 ? 15 : 0) << text.className;
  }
}
// Rows come in sections under the initial of the sort name (the last word, as these names are
// written), the index runs down the trailing edge, and a row's separator starts at its text, past
// the add-on's picture; right to left, all of it mirrored.
TEST_P(ContactListVersions, SectionsUnderTheirLettersAnIndexAndSeparatorsFromTheText) {
  std::string version = GetParam();
  for (bool rightToLeft : {false, true}) {
    if (rightToLeft && version != "9.0.2") continue;
    ListDevice phone(version, rightToLeft);
    for (const char* bundle : {kSpringBoard, kContactsApp}) {
      std::string where = version + " " + bundle + (rightToLeft ? " right to left" : "");
      DumpedView screen = phone.screen(bundle, {"contacts"});
      auto indexes = screen.ofClass("UITableViewIndex");
      ASSERT_EQ(indexes.size(), 1u) << where;
      const DumpedView& index = *indexes[0];
      ASSERT_GE(index.subviews.size(), 3u);
      EXPECT_EQ(index.subviews.front().text, "A");
      EXPECT_EQ(index.subviews.back().text, "#");
      auto table = screen.find([&](const DumpedView& v) {
        return v.className == "UITableView" && !v.ofClass("UITableViewIndex").empty();
      });
      ASSERT_EQ(table.size(), 1u);
      double edge = rightToLeft ? table[0]->frame[0] : table[0]->frame[0] + table[0]->frame[2];
      EXPECT_EQ(rightToLeft ? index.frame[0] : index.frame[0] + index.frame[2], edge) << where;

      auto headers = screen.ofClass("UITableViewHeaderFooterView");
      ASSERT_GE(headers.size(), 3u) << where;
      std::sort(headers.begin(), headers.end(),
                [](const DumpedView* a, const DumpedView* b) { return a->frame[1] < b->frame[1]; });
      EXPECT_EQ(headers.front()->subviews.at(0).text, "A") << where;
      for (const DumpedView* cell : cellsOf(screen)) {
        // The row's section: the last header above it.
        std::string letter;
        for (const DumpedView* header : headers) {
          if (header->frame[1] < cell->frame[1]) letter = header->subviews.at(0).text;
        }
        // A first and a last name, each capitalised: the second word is the sort name.
        std::string name = titleOf(*cell);
        std::size_t space = name.find(' ');
        if (space != std::string::npos && name.find(' ', space + 1) == std::string::npos &&
            std::isupper(static_cast<unsigned char>(name[space + 1])) &&
            !std::islower(static_cast<unsigned char>(name[0]))) {
          EXPECT_EQ(name.substr(space + 1, 1), letter) << name << " on " << where;
        }

        auto lines = cell->ofClass("_UITableViewCellSeparatorView");
        ASSERT_EQ(lines.size(), 1u) << name;
        const std::vector<double>& line = lines[0]->frame;
        double start = rightToLeft ? line[0] + line[2] : line[0];
        if (const DumpedView* picture = pictureOf(*cell)) {
          double pictureEnd =
              rightToLeft ? picture->frame[0] : picture->frame[0] + picture->frame[2];
          EXPECT_TRUE(rightToLeft ? start <= pictureEnd : start >= pictureEnd) << name;
        }
        const DumpedView& text = cell->subviews.front().subviews.front();
        if (version == "9.0.2") {
          EXPECT_EQ(start, rightToLeft ? text.frame[0] + text.frame[2] : text.frame[0]) << name;
        }
      }
    }
  }
}
INSTANTIATE_TEST_SUITE_P(Versions, ContactListVersions, ::testing::Values("7.1.2", "8.4", "9.0.2"));

// On the smallest screen Anna Haro's row starts under the overlay's edge; show-contact scrolls
// the list until her whole row shows, on each version's list.
TEST(ContactListHost, ShowContactScrollsTheWholeRowIntoTheList) {
  for (const char* version : {"7.1.2", "9.0.2"}) {
    ListDevice phone(version);
    DeviceProfile small = standin::readProfile(phone.device.root()).value_or(DeviceProfile{});
    small.width = 320;
    small.height = 480;
    small.deriveFromScreen();
    ASSERT_TRUE(standin::writeProfile(phone.device.root(), small));
    DumpedView screen = phone.screen(kSpringBoard, {"contacts", "show-contact 3"});
    auto tables = screen.ofClass("UITableView");
    ASSERT_FALSE(tables.empty());
    const std::vector<double>& table = tables.back()->frame;
    const DumpedView* anna = nullptr;
    for (const DumpedView* cell : cellsOf(screen)) {
      const DumpedView* picture = pictureOf(*cell);
      if (picture && startsWith(picture->image, "monogram AH")) anna = cell;
    }
    ASSERT_NE(anna, nullptr) << version;
    EXPECT_GE(anna->frame[1], table[1]) << version;
    EXPECT_LE(anna->frame[1] + anna->frame[3], table[1] + table[3]) << version;
    EXPECT_EQ(runProgram(phone.host(kSpringBoard, {"contacts", "show-contact 9999"})).status, 1);
  }
}

TEST(ContactListHost, RightToLeftRowsHaveTheirPictureAtTheTrailingEdge) {
  ListDevice phone("9.0.2", true);
  auto screen = phone.screen(kSpringBoard, {"contacts"});
  auto cells = cellsOf(screen);
  ASSERT_FALSE(cells.empty());
  for (const DumpedView* cell : cells) {
    const DumpedView* picture = pictureOf(*cell);
    ASSERT_TRUE(picture);
    // Window points: the cell's right edge less 2 and the picture's width.
    EXPECT_EQ(picture->frame[0] + picture->frame[2], cell->frame[0] + cell->frame[2] - 2);
  }
}

// Every switch changed by the tool reaches SpringBoard's handler: the line, a fresh cache and
// settings, CallBar's favourites and recent calls rebuilt, and the contact list reloaded. The
// Contacts application ignores each without a line: its error output is read too.
TEST(ContactListHost, EachSettingsNotificationFromAnotherProcess) {
  ListDevice phone;
  std::vector<std::string> keys = {"TalvoCBEnabledFavorites",
                                   "TalvoCBEnabledRecents",
                                   "TalvoCBEnabledContacts",
                                   "TalvoCBEnabledRoundedPictures",
                                   "TalvoCBEnabledMonogramPictures",
                                   "TalvoCBEnabledPhone",
                                   "TalvoCBEnabled"};
  std::vector<std::string> actions = {"favorites", "recents", "ready"};
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] == "TalvoCBEnabledContacts") {
      actions.insert(actions.end(), {"contacts", "dump " + phone.dumpPath("before-contacts")});
    }
    actions.insert(actions.end(),
                   {"settings-changed 10000", "dump " + phone.dumpPath(keys[i]), "ready"});
  }
  RunningProgram springBoard(phone.host(kSpringBoard, actions));
  const std::string contactsLog = phone.device.real("/tmp/contacts-app.log");
  RunningProgram contactsApp(
      phone.host(kContactsApp,
                 {"contacts", "ready", "settings-changed 10000", "settings-changed 10000",
                  "settings-changed 10000", "settings-changed 10000", "settings-changed 10000",
                  "settings-changed 10000", "settings-changed 10000"}),
      contactsLog);
  ASSERT_TRUE(springBoard.waitForLine("ready", 10s));
  ASSERT_TRUE(contactsApp.waitForLine("ready", 10s));
  for (const auto& key : keys) {
    phone.tool({"settings", "set", key, "off"});
    std::string name = TalvoCBSettingsFile::notificationForKey(key);
    ASSERT_TRUE(springBoard.waitForLine("handled " + name, 10s)) << key;
    ASSERT_TRUE(springBoard.waitForLine("ready", 10s)) << key;
    ASSERT_TRUE(contactsApp.waitForLine("handled " + name, 10s)) << key;
    EXPECT_EQ(count(phone.log(), "Got '" + name + "' notification..."), 1u) << key;
  }
  EXPECT_EQ(springBoard.wait(), 0);
  EXPECT_EQ(contactsApp.wait(), 0);
  std::string contactsLines = phone.device.readFile("/tmp/contacts-app.log");
  EXPECT_EQ(count(contactsLines, "notification..."), 0u) << contactsLines;
  EXPECT_EQ(count(phone.log(), "Loading settings completed"), 1u + keys.size());

  auto buttonImages = [](const DumpedView& screen) {
    std::vector<std::string> images;
    for (const DumpedView* b : screen.ofClass("UIButton")) {
      if (b->tag >= 1 && b->tag <= 6) images.push_back(b->image);
    }
    return images;
  };
  auto favourites = buttonImages(DumpReader::readFile(phone.dumpPath(keys[0])));
  ASSERT_FALSE(favourites.empty());
  for (const auto& image : favourites) EXPECT_FALSE(startsWith(image, "photo of contact")) << image;
  auto recents = DumpReader::readFile(phone.dumpPath(keys[1]));
  ASSERT_FALSE(recents.ofClass("CallBarTableViewTransparentCell").empty());
  EXPECT_TRUE(recents.find([](const DumpedView& v) { return v.tag == kPictureTag; }).empty());
  expectPicturesInEveryRow(DumpReader::readFile(phone.dumpPath("before-contacts")),
                           "CNContactListTableViewCell");
  for (const auto& shown : pictures(DumpReader::readFile(phone.dumpPath(keys[2])))) {
    EXPECT_EQ(shown, "");
  }
}

// The list a settings change reloads is the one on screen, not the first one ever shown (here
// without CallBar, whose overlay would reload the list it shows anyway).
TEST(ContactListHost, SettingsChangeReloadsTheListShownNow) {
  ListDevice phone;
  auto argv = phone.host(kSpringBoard, {"contacts", "search Jo", "ready", "settings-changed 10000",
                                        "dump " + phone.dumpPath("s")});
  argv.insert(argv.end(), {"--callbar", "no"});
  RunningProgram viewService(argv);
  ASSERT_TRUE(viewService.waitForLine("ready", 10s));
  phone.tool({"settings", "set", "TalvoCBEnabledContacts", "off"});
  EXPECT_EQ(viewService.wait(), 0);
  auto shown = pictures(DumpReader::readFile(phone.dumpPath("s")));
  ASSERT_EQ(shown.size(), 3u);
  for (const auto& picture : shown) EXPECT_EQ(picture, "");
}

TEST(ContactListHost, TwoSettingsNotificationsInQuickSuccessionAreBothHandled) {
  ListDevice phone;
  RunningProgram springBoard(
      phone.host(kSpringBoard, {"ready", "settings-changed 10000", "settings-changed 10000"}));
  ASSERT_TRUE(springBoard.waitForLine("ready", 10s));
  for (int i = 0; i < 2; ++i) {
    CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(),
                                         "com.quorvik.TalvoCBPhoneEnabledNotification", nullptr,
                                         nullptr, true);
  }
  EXPECT_EQ(springBoard.wait(), 0);
  EXPECT_EQ(count(phone.log(), "Got 'com.quorvik.TalvoCBPhoneEnabledNotification'"), 2u);
  EXPECT_EQ(count(phone.log(), "Loading settings completed"), 3u);
}

// A photo set with the tool replaces the cached monogram; a contact without a cached picture
// refreshes nothing, and a name set with the tool shows in the list.
TEST(ContactListHost, AddressBookChangesFromTheTool) {
  ListDevice phone;
  std::string photo = phone.device.real("/tmp/photo.png");
  phone.tool({"picture", "--id", "1", "-o", photo});
  RunningProgram springBoard(phone.host(
      kSpringBoard,
      {"contacts", "observe " + std::string(kBookChanged), "ready",
       "wait " + std::string(kBookChanged) + " 10000", "ready",
       "wait " + std::string(kBookChanged) + " 10000", "dump " + phone.dumpPath("after")}));
  ASSERT_TRUE(springBoard.waitForLine("ready", 10s));
  phone.tool({"addressbook", "set-photo", "3", photo});
  ASSERT_TRUE(springBoard.waitForLine("ready", 10s));
  EXPECT_EQ(count(phone.log(), "Removed last modified entry from the cache.. 3"), 1u);
  // Oliver Twist (30) is far down the list and no favourite: nothing of his is cached.
  phone.tool({"addressbook", "set-name", "30", "Ollie", "Abbott"});
  EXPECT_EQ(springBoard.wait(), 0);
  EXPECT_EQ(count(phone.log(), "Removed last modified entry"), 1u);
  auto after = DumpReader::readFile(phone.dumpPath("after"));
  EXPECT_EQ(pictureOfRow(after, "Ollie Abbott"), "photo of contact 30");
  EXPECT_TRUE(startsWith(pictureOfRow(after, "Anna Haro"), "photo"));
}

// The handler reads the person table itself: a writer holding it is waited for, and an empty,
// foreign or missing file drops nothing and creates nothing.
TEST(ContactListHost, AddressBookHandlerWithLockedEmptyForeignAndMissingFiles) {
  ListDevice phone;
  std::string book = phone.device.real(kABDatabaseDevicePath);
  useRollbackJournal(book);
  std::string wait = "wait " + std::string(kBookChanged) + " 10000";
  RunningProgram springBoard(
      phone.host(kSpringBoard, {"contacts", "observe " + std::string(kBookChanged), "ready", wait,
                                "ready", wait, "ready", wait, "ready", wait, "status"}));
  ASSERT_TRUE(springBoard.waitForLine("ready", 10s));

  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open_v2(book.c_str(), &writer, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(writer,
                         "BEGIN EXCLUSIVE; UPDATE ABPerson SET ModificationDate = 900000000 "
                         "WHERE ROWID = 1",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  postBookChanged();
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(writer);
  ASSERT_TRUE(springBoard.waitForLine("ready", 10s));
  EXPECT_EQ(count(phone.log(), "Removed last modified entry from the cache.. 1"), 1u);

  sql(book, "DELETE FROM ABPerson");
  postBookChanged();
  ASSERT_TRUE(springBoard.waitForLine("ready", 10s));
  EXPECT_EQ(count(phone.log(), "Unabe to get ROWID From ABPERSON"), 1u);

  phone.device.writeFile(kABDatabaseDevicePath, "not a database");
  postBookChanged();
  ASSERT_TRUE(springBoard.waitForLine("ready", 10s));
  EXPECT_EQ(count(phone.log(), "Cannot read the last modified person"), 1u);

  std::filesystem::remove(book);
  postBookChanged();
  EXPECT_EQ(springBoard.wait(), 0);
  EXPECT_FALSE(std::filesystem::exists(book));
  EXPECT_EQ(count(phone.log(), "Removed last modified entry"), 1u);
}

TEST(ContactListHost, AddressBookEditsThatCannotBeMadeFailAndChangeNothing) {
  ListDevice phone;
  std::string book = phone.device.real(kABDatabaseDevicePath);
  auto before = std::filesystem::last_write_time(book);
  std::string notPicture = phone.device.real("/tmp/note.txt");
  phone.device.writeFile("/tmp/note.txt", "no picture");
  std::string photo = phone.device.real("/tmp/photo.png");
  phone.tool({"picture", "--id", "1", "-o", photo});
  for (const auto& words :
       std::vector<std::vector<std::string>>{{"addressbook", "set-photo", "99", photo},
                                             {"addressbook", "set-photo", "3", notPicture},
                                             {"addressbook", "set-name", "99", "A", "B"}}) {
    std::vector<std::string> argv = {"talvocb", "--root", phone.device.root()};
    argv.insert(argv.end(), words.begin(), words.end());
    ProcessResult run = runProgram(argv);
    EXPECT_EQ(run.status, 1) << words[1] << " " << words[2];
    EXPECT_EQ(run.out.find("posted"), std::string::npos);
  }
  EXPECT_EQ(std::filesystem::last_write_time(book), before);
}
