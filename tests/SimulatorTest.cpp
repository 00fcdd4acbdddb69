// The device simulator, run as a newcomer runs it: `talvocb sim` with a few scenes on one phone.
// What the screens show is read from their view trees; the kept reference screens catch a
// changed drawing; the page is opened in a real browser.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cairo.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "SimCompare.h"
#include "Subprocess.h"
#include "ViewDump.h"

namespace fs = std::filesystem;

namespace {
const std::string kReferences = std::string(TALVOCB_SOURCE_DIR) + "/tests/sim-references";
const std::string kPhone = "ios9-iphone6";

struct TemporaryFolder {
  std::string path;
  TemporaryFolder() {
    std::string pattern = (fs::temp_directory_path() / "talvocb-sim-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
  }
  ~TemporaryFolder() { fs::remove_all(path); }
};

std::string readText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

ProcessResult sim(const std::string& out, std::vector<std::string> arguments) {
  std::vector<std::string> argv = {"talvocb", "sim", "--out", out, "--profile", kPhone};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return runProgram(argv);
}

// The overlay's picture view (the one image view tagged by the add-on or CallBar) of a screen.
std::string callerPicture(const DumpedView& screen) {
  auto views = screen.find([](const DumpedView& v) {
    return v.className == "UIImageView" && v.frame.size() == 4 && v.frame[2] == 60;
  });
  return views.empty() ? "(none)" : views.front()->image;
}

std::vector<std::string> imagesOf(const DumpedView& screen, const std::string& className) {
  std::vector<std::string> images;
  for (const DumpedView* view : screen.ofClass(className)) images.push_back(view->image);
  return images;
}

// Moves the square (x, y, size) of a PNG right by `shift` pixels, as a picture moved on screen.
void moveSquare(const std::string& path, int x, int y, int size, int shift) {
  cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
  cairo_surface_t* copy = cairo_image_surface_create_from_png(path.c_str());
  cairo_t* cr = cairo_create(surface);
  cairo_rectangle(cr, x, y, size + shift, size);
  cairo_clip(cr);
  cairo_set_source_surface(cr, copy, shift, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_write_to_png(surface, path.c_str());
  cairo_surface_destroy(copy);
  cairo_surface_destroy(surface);
}

void tintSquare(const std::string& path, int x, int y, int size) {
  cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
  cairo_t* cr = cairo_create(surface);
  cairo_rectangle(cr, x, y, size, size);
  cairo_set_source_rgba(cr, 1, 0, 0, 0.2);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_write_to_png(surface, path.c_str());
  cairo_surface_destroy(surface);
}
}  // namespace

TEST(SimulatorTest, KeptScreensMatchTheirReferencesAndShowTheRightPictures) {
  TemporaryFolder out;
  ProcessResult run =
      sim(out.path, {"--scene", "call-photo", "--scene", "call-monogram", "--scene", "favorites",
                     "--scene", "recents", "--scene", "pane", "--check", kReferences});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("9/9]"), std::string::npos) << run.out;

  std::string screens = out.path + "/screens/" + kPhone + "/";
  DumpedView photo = DumpReader::readFile(screens + "call-photo.json");
  DumpedView photoOff = DumpReader::readFile(screens + "call-photo-off.json");
  DumpedView monogram = DumpReader::readFile(screens + "call-monogram.json");
  EXPECT_EQ(callerPicture(photo), "photo of contact 1");  // the add-on's round photo of John
  EXPECT_EQ(callerPicture(photoOff), "host photo of contact 1");
  EXPECT_EQ(callerPicture(monogram).rfind("monogram AH #", 0), 0u) << callerPicture(monogram);

  // Six favourites: four contacts with photos and two monograms, all round.
  DumpedView favorites = DumpReader::readFile(screens + "favorites.json");
  std::vector<std::string> buttons = imagesOf(favorites, "UIButton");
  EXPECT_EQ(std::count_if(
                buttons.begin(), buttons.end(),
                [](const std::string& image) { return image.rfind("photo of contact ", 0) == 0; }),
            4);
  EXPECT_EQ(std::count_if(buttons.begin(), buttons.end(),
                          [](const std::string& image) {
                            return image.rfind("monogram ", 0) == 0 &&
                                   image.find("rounded corners") == std::string::npos;
                          }),
            2);
  std::string page = readText(out.path + "/index.html");
  EXPECT_NE(page.find("screens/ios9-iphone6/recents-off.png"), std::string::npos);
  EXPECT_EQ(page.find("class=\"differs\""), std::string::npos);
}

TEST(SimulatorTest, SwitchTurnedOffInSettingsSquaresSpringBoardsFavourites) {
  TemporaryFolder out;
  ProcessResult run = sim(out.path, {"--scene", "switch-TalvoCBEnabledRoundedPictures-off"});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  std::string screens = out.path + "/screens/" + kPhone + "/";
  DumpedView favorites =
      DumpReader::readFile(screens + "switch-TalvoCBEnabledRoundedPictures-off.json");
  std::vector<std::string> buttons = imagesOf(favorites, "UIButton");
  EXPECT_EQ(std::count(buttons.begin(), buttons.end(), "photo of contact 1"), 1);
  EXPECT_EQ(std::count(buttons.begin(), buttons.end(), "photo"), 0);
  EXPECT_TRUE(fs::exists(screens + "switch-TalvoCBEnabledRoundedPictures-off-pane.png"));
  // Turned back on at the end of the scene.
  std::string settings =
      readText(out.path + "/device/" + kPhone +
               "/private/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist");
  EXPECT_EQ(settings.find("<false/>"), std::string::npos) << settings;
}

TEST(SimulatorTest, ComparisonCatchesAPictureMovedByAPointOrRecoloured) {
  TemporaryFolder copies;
  std::string reference = kReferences + "/" + kPhone + "/call-photo";
  std::string same = copies.path + "/same", moved = copies.path + "/moved",
              tinted = copies.path + "/tinted", retold = copies.path + "/retold";
  for (const std::string& stem : {same, moved, tinted, retold}) {
    fs::copy_file(reference + ".png", stem + ".png");
    fs::copy_file(reference + ".json", stem + ".json");
  }
  // The caller's picture: 60 points square at (20, 38), at two pixels a point.
  moveSquare(moved + ".png", 40, 76, 120, 2);
  tintSquare(tinted + ".png", 40, 76, 120);
  std::ofstream(retold + ".json", std::ios::app) << " ";

  simulator::CompareOptions options;
  EXPECT_TRUE(simulator::compareShot(same, reference, options, same + ".diff.png").same);
  simulator::Comparison movedResult =
      simulator::compareShot(moved, reference, options, moved + ".diff.png");
  EXPECT_FALSE(movedResult.same);
  EXPECT_NE(movedResult.reason.find("pixels differ"), std::string::npos) << movedResult.reason;
  EXPECT_TRUE(movedResult.diffWritten && fs::exists(moved + ".diff.png"));
  EXPECT_FALSE(simulator::compareShot(tinted, reference, options, tinted + ".diff.png").same);
  simulator::Comparison retoldResult =
      simulator::compareShot(retold, reference, options, retold + ".diff.png");
  EXPECT_FALSE(retoldResult.same);
  EXPECT_NE(retoldResult.reason.find("view tree differs"), std::string::npos);
  // A generous tolerance lets the tint pass, as it would a change of anti-aliasing.
  options.tolerance = 100;
  EXPECT_TRUE(simulator::compareShot(tinted, reference, options, tinted + ".diff.png").same);
}

TEST(SimulatorTest, DifferingScreenFailsTheRunAndIsMarkedOnThePage) {
  TemporaryFolder out, references;
  fs::copy(kReferences, references.path, fs::copy_options::recursive);
  moveSquare(references.path + "/" + kPhone + "/call-photo.png", 40, 76, 120, 2);
  ProcessResult run = sim(out.path, {"--scene", "call-photo", "--check", references.path});
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.out.find("DIFFERS: call-photo:"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("DIFFERS: call-photo-off"), std::string::npos) << run.out;
  EXPECT_TRUE(fs::exists(out.path + "/screens/" + kPhone + "/call-photo.diff.png"));
  EXPECT_NE(readText(out.path + "/index.html").find("class=\"differs\""), std::string::npos);
}

TEST(SimulatorTest, FailingHostsAndUnknownNamesAreReported) {
  TemporaryFolder out, device;
  ProcessResult unknown = sim(out.path, {"--scene", "no-such-scene"});
  EXPECT_EQ(unknown.status, 2);
  // Not a number passes no range: every comparison with it is false.
  for (const char* option : {"--tolerance", "--max-differing", "--scene-timeout"}) {
    EXPECT_EQ(sim(out.path, {option, "nan", "--scene", "pane"}).status, 2) << option;
  }
  EXPECT_NE(unknown.err.find("no scene 'no-such-scene'"), std::string::npos) << unknown.err;
  // A device without the pane: the Settings application cannot show it.
  ASSERT_EQ(runProgram({"talvocb", "--root", device.path, "device", "init"}).status, 0);
  ProcessResult run = sim(out.path, {"--root", device.path, "--scene", "pane"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("FAILED: Settings failed with exit status 1"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("pane bundle"), std::string::npos) << run.out;
}

// The page in headless Chromium: every picture loads, each has its caption, the console is quiet.
TEST(SimulatorTest, IndexPageLoadsInABrowser) {
  if (runProgram({"/usr/bin/sh", "-c", "command -v chromium"}).status != 0) {
    if (std::getenv("TALVOCB_REQUIRE_BROWSER")) FAIL() << "chromium is not installed";
    GTEST_SKIP() << "chromium is not installed (scripts/install-deps installs it)";
  }
  TemporaryFolder out, profile;
  ASSERT_EQ(sim(out.path, {"--scene", "call-two", "--scene", "mail-log"}).status, 0);
  ProcessResult browser = runProgram(
      {"/usr/bin/chromium", "--headless", "--no-sandbox", "--disable-gpu",
       "--user-data-dir=" + profile.path, "--enable-logging=stderr", "--v=0",
       "--virtual-time-budget=10000", "--dump-dom", "file://" + out.path + "/index.html"});
  ASSERT_EQ(browser.status, 0) << browser.err;
  EXPECT_NE(browser.out.find("data-pictures=\"3 of 3\""), std::string::npos) << browser.out;
  EXPECT_EQ(browser.out.find("data-loaded=\"no\""), std::string::npos);
  std::size_t captions = 0;
  for (std::size_t at = 0; (at = browser.out.find("<figcaption>", at)) != std::string::npos; ++at) {
    ++captions;
  }
  EXPECT_EQ(captions, 3u);
  EXPECT_NE(browser.out.find("The mailed log"), std::string::npos);
  EXPECT_EQ(browser.err.find(":CONSOLE"), std::string::npos) << browser.err;
}
