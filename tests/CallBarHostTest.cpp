// CallBar's overlay and recent-calls list in real host processes, read back from their dumps.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "SampleDevice.h"
#include "Subprocess.h"
#include "TALCBSettings.h"
#include "TemporaryDevice.h"
#include "ViewDump.h"
#include "apps/CallBar.h"
#include "foundation/NSValueTypes.h"
#include "uikit/UIImage.h"

namespace {

DeviceProfile profileOf(const std::string& version, bool rightToLeft = false, double width = 375) {
  DeviceProfile profile;
  profile.systemVersion = version;
  profile.layoutDirection = rightToLeft ? 1 : 0;
  profile.width = width;
  profile.height = width < 375 ? 568 : 667;
  profile.deriveFromScreen();
  return profile;
}

// A device with the hand-picked book and CallBar's sample files.
struct CallBarDevice {
  explicit CallBarDevice(const std::string& version = "9.0.2", bool rightToLeft = false,
                         double width = 375)
      : device(profileOf(version, rightToLeft, width)) {
    sample::SampleOptions options;
    options.profile = profileOf(version, rightToLeft, width);
    std::string error;
    EXPECT_TRUE(sample::writeSampleDevice(device.root(), options, nullptr, &error)) << error;
  }
  // The package's own look: the add-on's master switch off (start-up completes the rest).
  void switchAddOnOff() {
    auto settings = std::make_shared<NSDictionary>();
    settings->setObject(NSNumber::numberWithBool(false), "TalvoCBEnabled");
    EXPECT_TRUE(settings->writeToFile(TalvoCBSettingsFile::pathInHome(), true));
  }
  // Runs the actions in SpringBoard, then dumps the screen.
  DumpedView screen(const std::vector<std::string>& actions,
                    const std::string& bundle = "com.apple.springboard") {
    std::string dump = device.real("/tmp/screen.json");
    std::filesystem::remove(dump);
    std::vector<std::string> argv = {"talvocb-host", "--root", device.root(), "--bundle-id",
                                     bundle};
    for (const auto& a : actions) argv.insert(argv.end(), {"--do", a});
    argv.insert(argv.end(), {"--do", "dump " + dump});
    last = runProgram(argv);
    EXPECT_EQ(last.status, 0) << last.err;
    return DumpReader::readFile(dump);
  }
  TemporaryDevice device;
  ProcessResult last;
};

// The overlay's content view: the banner that holds the party's picture.
const DumpedView* banner(const DumpedView& screen) {
  auto found = screen.find([](const DumpedView& v) {
    return !v.ofClass("UIButton").empty() && !v.subviews.empty() &&
           v.subviews.front().className == "UIImageView";
  });
  return found.empty() ? nullptr : found.front();
}

// The rows' titles from the top of the list down (reused cells come last among the subviews).
std::vector<std::string> titles(const DumpedView& screen) {
  auto cells = screen.ofClass("CallBarTableViewTransparentCell");
  std::sort(cells.begin(), cells.end(),
            [](const DumpedView* a, const DumpedView* b) { return a->frame[1] < b->frame[1]; });
  std::vector<std::string> out;
  for (const DumpedView* cell : cells) out.push_back(cell->subviews.front().subviews.front().text);
  return out;
}

}  // namespace

TEST(CallBarHost, ACallShowsTheNameDetailAndThePackagesOwnPicture) {
  CallBarDevice phone;
  DumpedView screen = phone.screen({"call +1 (555) 010-0100"});
  const DumpedView* content = banner(screen);
  ASSERT_TRUE(content);
  std::vector<const DumpedView*> plain;
  for (const DumpedView& view : content->subviews) {
    if (view.className == "UIImageView") plain.push_back(&view);
  }
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_FALSE(plain[0]->image.empty());
  EXPECT_EQ(plain[0]->frame[2], 60);
  auto labels = content->ofClass("UILabel");
  ASSERT_GE(labels.size(), 2u);
  EXPECT_EQ(labels[0]->text, "John Appleseed");
  EXPECT_EQ(labels[1]->text, "mobile");

  // A stranger is shown by number; the last call ended, the overlay goes.
  screen = phone.screen({"call +1 555-010-0199 at 77.9"});
  EXPECT_EQ(banner(screen)->ofClass("UILabel")[1]->text, "calling…");
  // A start time too small for a normal double is still a time.
  screen = phone.screen({"call 555-522-8243 at 1e-320"});
  EXPECT_EQ(banner(screen)->ofClass("UILabel")[0]->text, "Anna Haro");
  EXPECT_TRUE(banner(phone.screen({"call 555-522-8243", "hangup"})) == nullptr);
  screen = phone.screen({"call 555-522-8243", "call 5550100102", "hangup"});
  EXPECT_EQ(banner(screen)->ofClass("UILabel")[0]->text, "Anna Haro");

  // Right to left, the picture leads from the right and the buttons sit on the left.
  CallBarDevice mirrored("9.0.2", true);
  screen = mirrored.screen({"call 555-522-8243"});
  content = banner(screen);
  EXPECT_GT(content->subviews.at(0).frame[0], content->ofClass("UILabel")[0]->frame[0]);
  EXPECT_LT(content->ofClass("UIButton")[0]->frame[0], content->ofClass("UILabel")[0]->frame[0]);
}

// The overlay is drawn over the home screen: a dark banner with round corners, the answer and
// end buttons in green and red.
TEST(CallBarHost, TheSnapshotShowsTheDarkRoundedBannerOverTheHomeScreen) {
  CallBarDevice phone;
  phone.screen({"call 555-522-8243", "snapshot " + phone.device.real("/tmp/overlay.png")});
  auto image = UIImage::imageWithContentsOfFile("/tmp/overlay.png");
  ASSERT_TRUE(image);
  auto at = [&](std::size_t x, std::size_t y) {
    return CGImageGetPixel(image->CGImage(), x * 2, y * 2);
  };
  CGPixel banner = at(200, 90), corner = at(9, 27), below = at(200, 400);
  EXPECT_LT(banner.red + banner.green + banner.blue, 120);
  EXPECT_GT(corner.blue, corner.red + 40);  // the wallpaper shows through the corner
  EXPECT_GT(below.blue, below.red + 40);
  // Inside each button, below its icon.
  CGPixel answer = at(281, 86), end = at(333, 86);
  EXPECT_GT(answer.green, answer.red + 60);
  EXPECT_GT(end.red, end.green + 60);
}

TEST(CallBarHost, TheFavoritesRowHoldsSixButtonsWithPicturesAndNames) {
  CallBarDevice phone;
  DumpedView screen = phone.screen({"favorites"});
  auto buttons =
      screen.find([](const DumpedView& v) { return v.className == "UIButton" && v.tag > 0; });
  ASSERT_EQ(buttons.size(), 6u);
  EXPECT_FALSE(buttons[0]->image.empty());
  EXPECT_EQ(buttons[0]->subviews.at(0).text, "John Appleseed");
}

// On 7 and 8 the system's monogrammer shows a person as the unified contact, so David Taylor,
// whose photo is only on his linked card, gets that photo in CallBar's own look; with round
// pictures on, the add-on keeps the system's composition, which draws the photo through the
// add-on's image-data replacement, and his call shows the photo too.
TEST(CallBarHost, TheSystemsMonogrammerShowsThePhotoOfALinkedCard) {
  CallBarDevice phone("8.4");
  auto davids = [](const DumpedView& screen) {
    for (const DumpedView* button : screen.ofClass("UIButton")) {
      if (!button->subviews.empty() && button->subviews[0].text == "David Taylor") {
        return button->image;
      }
    }
    return std::string("(no button)");
  };
  DumpedView screen = phone.screen({"favorites", "call 555-610-6679"});
  EXPECT_EQ(davids(screen), "photo of contact 5");  // his linked card's
  auto pictures = screen.find([](const DumpedView& v) {
    return v.className == "UIImageView" && v.frame.size() == 4 && v.frame[2] == 60;
  });
  ASSERT_FALSE(pictures.empty());
  EXPECT_EQ(pictures[0]->image.rfind("monogram", 0), std::string::npos) << pictures[0]->image;
  phone.switchAddOnOff();
  screen = phone.screen({"favorites"});
  EXPECT_EQ(davids(screen).rfind("host photo of contact ", 0), 0u) << davids(screen);
}

TEST(CallBarHost, ActionsNeedCallBarInItsHosts) {
  CallBarDevice phone;
  std::vector<std::string> argv = {
      "talvocb-host", "--root", phone.device.root(), "--bundle-id", "com.apple.MobileAddressBook",
      "--do",         "recents"};
  ProcessResult r = runProgram(argv);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("only in SpringBoard"), std::string::npos) << r.err;
  argv = {"talvocb-host",
          "--root",
          phone.device.root(),
          "--bundle-id",
          "com.apple.springboard",
          "--callbar",
          "no",
          "--do",
          "call 555"};
  r = runProgram(argv);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("not installed"), std::string::npos) << r.err;
  argv = {"talvocb-host",
          "--root",
          phone.device.root(),
          "--bundle-id",
          "com.apple.springboard",
          "--mistyped",
          "CallBarControllerModern setCurrentCall:",
          "--do",
          "call 555"};
  EXPECT_EQ(runProgram(argv).status, 1);
}

// The labels the hooks look for: the title in the content view, of the system's class for the
// version; the detail and the date as the cell's own subviews; no contact picture.
TEST(CallBarHost, RecentRowsHaveThePackagesLabelsForEachVersion) {
  for (auto [version, titleClass] :
       {std::pair{"7.1.2", "UILabel"}, {"9.0.2", "UITableViewLabel"}}) {
    CallBarDevice phone(version);
    phone.switchAddOnOff();
    DumpedView screen = phone.screen({"recents"}, "net.dravell.callbarviewservice");
    auto cells = screen.ofClass("CallBarTableViewTransparentCell");
    ASSERT_GE(cells.size(), 4u) << version;
    const DumpedView& cell = *cells[0];
    const DumpedView& title = cell.subviews.at(0).subviews.at(0);
    EXPECT_EQ(title.className, titleClass);
    EXPECT_FALSE(title.text.empty());
    EXPECT_EQ(cell.subviews.at(1).className, titleClass);
    EXPECT_FALSE(cell.subviews.at(1).text.empty());
    EXPECT_EQ(cell.subviews.at(2).className, "UIDateLabel");
    auto statusViews = cell.subviews.at(0).ofClass("UIImageView");
    ASSERT_EQ(statusViews.size(), 1u);
    EXPECT_EQ(statusViews[0]->tag, 0);
    for (const DumpedView* picture : screen.find([](const DumpedView& v) { return v.tag == 3232; }))
      ADD_FAILURE() << "a contact picture in a row: " << picture->image;
  }
}

// The date's text keeps 8 points from the end of the name's, read from where each is drawn: on a
// narrow phone, where long names are cut, and right to left, where the date leads; with the
// add-on's pictures and without.
TEST(CallBarHost, TheDateKeepsItsGapFromTheNameInEitherDirection) {
  for (auto [version, rightToLeft, width] :
       {std::tuple{"8.4", false, 320.0}, {"9.0.2", true, 375.0}}) {
    CallBarDevice phone(version, rightToLeft, width);
    long cut = 0;
    for (bool addOn : {true, false}) {
      if (!addOn) phone.switchAddOnOff();
      DumpedView screen = phone.screen({"recents"});
      auto cells = screen.ofClass("CallBarTableViewTransparentCell");
      ASSERT_GE(cells.size(), 6u);
      for (const DumpedView* cell : cells) {
        const DumpedView& name = cell->subviews.at(0).subviews.at(0);
        auto dates = cell->ofClass("UIDateLabel");
        ASSERT_EQ(dates.size(), 1u);
        const std::vector<double>& n = name.textFrame;
        const std::vector<double>& d = dates[0]->textFrame;
        ASSERT_EQ(n.size(), 4u) << name.text;
        ASSERT_EQ(d.size(), 4u) << name.text;
        double gap = rightToLeft ? n[0] - (d[0] + d[2]) : d[0] - (n[0] + n[2]);
        EXPECT_GE(gap, 7.9) << name.text << " on " << version << (addOn ? "" : ", add-on off");
        cut += !name.shown.empty();
      }
    }
    EXPECT_GT(cut, 0) << "no name long enough to reach the date on " << version;
  }
}

TEST(CallBarHost, MissedListsOnlyMissedCallsAndScrollingMovesTheRows) {
  CallBarDevice phone;
  auto all = titles(phone.screen({"recents"}));
  DumpedView missedScreen = phone.screen({"recents missed"});
  auto missed = missedScreen.ofClass("CallBarTableViewTransparentCell");
  ASSERT_FALSE(missed.empty());
  for (const DumpedView* cell : missed) {
    EXPECT_EQ(cell->subviews.at(0).ofClass("UIImageView").at(0)->image, "callbar missed arrow");
  }
  EXPECT_NE(titles(missedScreen), all);

  auto scrolled = titles(phone.screen({"recents", "scroll 3"}));
  ASSERT_GE(all.size(), 4u);
  EXPECT_EQ(scrolled.at(0), all.at(3));
  EXPECT_EQ(titles(phone.screen({"recents", "scroll 3", "scroll -100"})), all);
  EXPECT_FALSE(titles(phone.screen({"recents", "scroll 100000"})).empty());
  auto deleteControls = [](const DumpedView& screen) {
    return screen
        .find([](const DumpedView& v) { return v.image == "callbar delete control" && !v.hidden; })
        .size();
  };
  EXPECT_EQ(deleteControls(phone.screen({"recents", "edit on"})), all.size());
  EXPECT_EQ(deleteControls(phone.screen({"recents", "edit on", "edit off"})), 0u);
}

TEST(CallBarHost, AMissingOrBrokenHistoryGivesAnEmptyList) {
  CallBarDevice phone;
  std::filesystem::remove(phone.device.real(kCallBarHistoryPath));
  EXPECT_TRUE(titles(phone.screen({"recents"})).empty());
  phone.device.writeFile(kCallBarHistoryPath, "<plist><dict><key>entries</key><string>");
  std::filesystem::remove(phone.device.real(kCallBarFavoritesPath));
  DumpedView screen = phone.screen({"favorites", "recents"});
  EXPECT_TRUE(titles(screen).empty());
  EXPECT_TRUE(screen.find([](const DumpedView& v) { return v.tag > 0; }).empty());
}
