// The device simulator, run as a newcomer runs it: `talvocb sim` with a few scenes on one phone.
// What the screens show is read from their view trees; the kept reference screens catch a
// changed drawing; the page is opened in a real browser.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cairo.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "AddressBookWriter.h"
#include "SimCompare.h"
#include "Subprocess.h"
#include "TemporaryDevice.h"
#include "ViewDump.h"

namespace fs = std::filesystem;

namespace {
const std::string kReferences = std::string(TALVOCB_SOURCE_DIR) + "/tests/sim-references";
const std::string kPhone = "ios9-iphone6";

struct TemporaryFolder {
  std::string path;
  TemporaryFolder() {
    // A space in the name, as in many a person's folders.
    std::string pattern = (fs::temp_directory_path() / "talvocb sim-XXXXXX").string();
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
  EXPECT_NE(page.find("A call from +1 (555) 010-0100, John Appleseed, whose photo is on their own "
                      "card"),
            std::string::npos);
  EXPECT_NE(page.find("screens/ios9-iphone6/recents-off.png"), std::string::npos);
  EXPECT_EQ(page.find("class=\"differs\""), std::string::npos);
}

// A book of the test's own, in record order: a photo but no number, a person without a photo,
// one with a wide photo (when `photos`).
void writeOwnBook(const std::string& root, bool photos) {
  sample::AddressBookWriter writer(root, "US");
  ASSERT_TRUE(writer.ok()) << writer.error();
  auto photo = [](int width, int height) {
    return sample::drawPicture(sample::PictureKind::Face, width, height, 3,
                               sample::PictureFormat::PNG);
  };
  ABRecordID unreachable = writer.addPerson("No", "Number", 1);
  if (photos) writer.addThumbnail(unreachable, photo(100, 100));
  writer.addPhone(writer.addPerson("Ken", "Sato", 2), "+81 3-5555-0101", "mobile");
  ABRecordID hanako = writer.addPerson("花子", "山田", 3);
  writer.addPhone(hanako, "+81 3-5555-0116", "mobile");
  if (photos) writer.addThumbnail(hanako, photo(120, 90));
  ASSERT_TRUE(writer.commit()) << writer.error();
}

TEST(SimulatorTest, ScenesCallThePeopleOfTheDevicesOwnBook) {
  TemporaryFolder out;
  TemporaryDevice device;
  ASSERT_NO_FATAL_FAILURE(writeOwnBook(device.root(), true));
  ProcessResult run = sim(out.path, {"--root", device.root(), "--scene", "call-photo", "--scene",
                                     "call-linked-photo", "--scene", "call-monogram", "--call",
                                     "+81 3-5555-0116", "--call", "nobody@example.org"});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("call-linked-photo-off"), std::string::npos) << run.out;

  std::string screens = out.path + "/screens/" + kPhone + "/";
  EXPECT_EQ(callerPicture(DumpReader::readFile(screens + "call-photo.json")), "photo of contact 3");
  std::string monogram = callerPicture(DumpReader::readFile(screens + "call-monogram.json"));
  EXPECT_EQ(monogram.rfind("monogram KS #", 0), 0u) << monogram;
  // The parties asked for, each with its variant with the add-on off.
  EXPECT_EQ(callerPicture(DumpReader::readFile(screens + "call-81-3-5555-0116.json")),
            "photo of contact 3");
  EXPECT_EQ(callerPicture(DumpReader::readFile(screens + "call-81-3-5555-0116-off.json")),
            "host photo of contact 3");
  EXPECT_TRUE(fs::exists(screens + "call-nobody-example-org-off.png"));
  EXPECT_FALSE(fs::exists(screens + "call-linked-photo.png"));

  std::string page = readText(out.path + "/index.html");
  for (const char* caption :
       {"A call from +81 3-5555-0116, 花子 山田, whose photo is on their own card. The add-on "
        "draws every photo at 80 × 80 pixels, stretched whatever its proportions, so this wide "
        "photo (120 × 90) shows squashed",
        "A call from +81 3-5555-0101, Ken Sato, who has no photo: their monogram",
        "A call from nobody@example.org, an address on no card",
        "Not played: no such contact on this device: a person whose photo is only on a linked "
        "card"}) {
    EXPECT_NE(page.find(caption), std::string::npos) << caption;
  }
}

// A phone without a photo plays no call from one, and the run does not fail for it.
TEST(SimulatorTest, DeviceWithoutPhotosSaysSoForTheCallFromAPhoto) {
  TemporaryFolder out;
  TemporaryDevice device;
  ASSERT_NO_FATAL_FAILURE(writeOwnBook(device.root(), false));
  ProcessResult run = sim(out.path, {"--root", device.root(), "--scene", "call-photo"});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("skipped: no such contact on this device"), std::string::npos) << run.out;
  EXPECT_NE(readText(out.path + "/scene-call-photo.html")
                .find("Not played: no such contact on this device: a person with a photo of "
                      "their own and a number"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(out.path + "/screens/" + kPhone + "/call-photo.png"));
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

// Twins are read a row at a time: the box is where the picture moved, and a cut-off file gives
// no box rather than a half-read one.
TEST(SimulatorTest, TwinsAreMarkedWhereTheyDifferAndNotWhenOneIsCutOff) {
  TemporaryFolder copies;
  std::string screen = kReferences + "/" + kPhone + "/call-photo.png";
  std::string moved = copies.path + "/moved.png", cut = copies.path + "/cut.png";
  fs::copy_file(screen, moved);
  moveSquare(moved, 40, 76, 120, 2);
  fs::copy_file(screen, cut);
  fs::resize_file(cut, fs::file_size(cut) / 2);

  EXPECT_TRUE(simulator::changedRegions(screen, screen, 2.3, 12).empty());
  auto boxes = simulator::changedRegions(screen, moved, 2.3, 12);
  ASSERT_EQ(boxes.size(), 1u);
  // 750 x 1334 pixels; the square spans 40 to 162 across and 76 to 196 down, to the next cells.
  EXPECT_NEAR(boxes[0].x * 750, 36, 0.01);
  EXPECT_NEAR(boxes[0].y * 1334, 72, 0.01);
  EXPECT_NEAR((boxes[0].x + boxes[0].width) * 750, 168, 0.01);
  EXPECT_NEAR((boxes[0].y + boxes[0].height) * 1334, 204, 0.01);
  EXPECT_TRUE(simulator::changedRegions(screen, cut, 2.3, 12).empty());
  EXPECT_TRUE(simulator::changedRegions(screen, copies.path + "/none.png", 2.3, 12).empty());
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

// The pages in headless Chromium, driven over the DevTools protocol: every thumbnail (lazy) and
// every full screen loads, each scene page holds every phone, the console is quiet.
TEST(SimulatorTest, IndexPageLoadsInABrowser) {
  if (runProgram({"/usr/bin/sh", "-c", "command -v chromium"}).status != 0) {
    if (std::getenv("TALVOCB_REQUIRE_BROWSER")) FAIL() << "chromium is not installed";
    GTEST_SKIP() << "chromium is not installed (scripts/install-deps installs it)";
  }
  TemporaryFolder out, profile;
  ASSERT_EQ(sim(out.path, {"--profile", "ios7-iphone4s", "--scene", "favorites", "--scene",
                           "call-two", "--scene", "mail-log"})
                .status,
            0);
  std::vector<std::string> argv = {"/usr/bin/python3",
                                   std::string(TALVOCB_SOURCE_DIR) + "/tests/check_sim_page.py",
                                   "/usr/bin/chromium", profile.path};
  for (const char* page :
       {"index.html", "scene-favorites.html", "scene-call-two.html", "scene-mail-log.html"}) {
    argv.push_back(out.path + "/" + page);
  }
  ProcessResult browser = runProgram(argv);
  ASSERT_EQ(browser.status, 0) << browser.err;
  std::istringstream lines(browser.out);
  std::map<std::string, std::string> pages;
  for (std::string line; std::getline(lines, line);) {
    std::size_t at = line.find("\"page\": \"");
    if (at != std::string::npos) pages[line.substr(at + 9, line.find('"', at + 9) - at - 9)] = line;
  }
  ASSERT_EQ(pages.size(), 4u) << browser.out;
  for (const auto& [page, line] : pages) {
    EXPECT_NE(line.find("\"failed\": []"), std::string::npos) << line;
    EXPECT_NE(line.find("\"console\": []"), std::string::npos) << line;
    EXPECT_NE(line.find("\"brokenNote\": false"), std::string::npos) << line;
    if (page == "index.html") continue;
    EXPECT_NE(line.find("\"phones\": [\"ios9-iphone6\", \"ios7-iphone4s\"]"), std::string::npos)
        << line;
  }
  // Five screens a phone (the favourites on and off, the two calls, the composer and the pane
  // after Send), each a lazy thumbnail linked to its full screen.
  EXPECT_NE(pages["index.html"].find("\"pictures\": 10, \"full\": 10, \"lazy\": 10"),
            std::string::npos)
      << pages["index.html"];
  EXPECT_NE(pages["scene-favorites.html"].find("\"pictures\": 4, \"full\": 4, \"lazy\": 4"),
            std::string::npos)
      << pages["scene-favorites.html"];

  std::string index = readText(out.path + "/index.html");
  EXPECT_NE(index.find("The mailed log"), std::string::npos);
  EXPECT_NE(index.find("10 screens (2 of them with the add-on off) of 3 scenes on 2 phones"),
            std::string::npos);
  // The favourites differ from their twins with the add-on off, and the boxes say where.
  EXPECT_NE(readText(out.path + "/scene-favorites.html").find("class=\"change\""),
            std::string::npos);
  EXPECT_EQ(readText(out.path + "/scene-call-two.html").find("class=\"change\""),
            std::string::npos);
}

// References may be anything: a FIFO is refused at once, a tree or picture past its size before it
// is read, each with the reason.
TEST(SimulatorTest, ReferencesThatAreNoFilesOrTooLargeAreRefusedWithTheirReason) {
  TemporaryFolder folder;
  std::string screen = kReferences + "/" + kPhone + "/call-photo";
  std::string reference = folder.path + "/reference";
  auto reasonFor = [&] {
    auto result = simulator::compareShot(screen, reference, {}, folder.path + "/diff.png");
    EXPECT_FALSE(result.same);
    return result.reason;
  };
  ASSERT_EQ(::mkfifo((reference + ".png").c_str(), 0600), 0);
  EXPECT_EQ(reasonFor(), "the reference picture " + reference + ".png is not a regular file");
  fs::remove(reference + ".png");
  { std::ofstream(reference + ".png") << ""; }
  fs::resize_file(reference + ".png", 200u << 20);
  EXPECT_EQ(reasonFor(), "the reference picture " + reference + ".png is larger than 64 MiB");

  fs::remove(reference + ".png");
  fs::copy_file(screen + ".png", reference + ".png");
  ASSERT_EQ(::mkfifo((reference + ".json").c_str(), 0600), 0);
  EXPECT_EQ(reasonFor(), "the reference view tree " + reference + ".json is not a regular file");
  fs::remove(reference + ".json");
  { std::ofstream(reference + ".json") << ""; }
  fs::resize_file(reference + ".json", 200u << 20);
  EXPECT_EQ(reasonFor(), "the reference view tree " + reference + ".json is larger than 16 MiB");
}
