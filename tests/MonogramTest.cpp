// Monogram palettes and pictures, checked on pixels.
#include <atomic>
#include <cmath>
#include <set>
#include <thread>

#include "MonogramPalettes.h"
#include "PictureSupport.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+FilePicturesInternal.h"
#include "TalvoCBUtils+Monograms.h"
#include "TalvoCBUtils+MonogramsInternal.h"
#include "UIColor+TalvoCB.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"

#include <filesystem>

namespace {
using monogram_palettes::kDark;
using monogram_palettes::kFull;

uint32_t codeOf(const UIColorPtr& color) {
  CGFloat r, g, b;
  color->getRed(&r, &g, &b, nullptr);
  auto c = [](CGFloat v) { return static_cast<uint32_t>(std::lround(v * 255)); };
  return c(r) << 16 | c(g) << 8 | c(b);
}

bool inPalette(CGPixel p, const std::vector<uint32_t>& palette) {
  for (uint32_t code : palette) {
    if (colourNear(p, code >> 16, (code >> 8) & 0xff, code & 0xff, 2)) return true;
  }
  return false;
}

// The box around the white pixels (the letters), in pixels.
struct Box {
  size_t left = SIZE_MAX, top = SIZE_MAX, right = 0, bottom = 0, count = 0;
};
Box whiteInk(const UIImagePtr& image) {
  Box box;
  size_t w = CGImageGetWidth(image->CGImage()), h = CGImageGetHeight(image->CGImage());
  for (size_t y = 0; y < h; ++y) {
    for (size_t x = 0; x < w; ++x) {
      CGPixel p = pixel(image, x, y);
      if (p.alpha == 255 && p.red > 245 && p.green > 245 && p.blue > 245) {
        box.left = std::min(box.left, x), box.right = std::max(box.right, x);
        box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
        ++box.count;
      }
    }
  }
  return box;
}
}  // namespace

class MonogramTest : public PictureDevice {};

TEST_F(MonogramTest, ColoursComeFromTheirPalette) {
  std::set<uint32_t> seen;
  for (int i = 0; i < 400; ++i) {
    uint32_t full = codeOf(TalvoCBUtils::getMonogramRandomColor(i % 7, false));
    EXPECT_NE(std::find(kFull.begin(), kFull.end(), full), kFull.end());
    uint32_t dark = codeOf(TalvoCBUtils::getMonogramRandomColor(i, true));
    EXPECT_NE(std::find(kDark.begin(), kDark.end(), dark), kDark.end());
    seen.insert(full);
  }
  EXPECT_GT(seen.size(), 10u);
  standin::setMainBundleIdentifier("com.apple.facetime");
  for (int i = 0; i < 100; ++i) {
    uint32_t code = codeOf(TalvoCBUtils::getMonogramRandomColor(i));
    EXPECT_NE(std::find(kDark.begin(), kDark.end(), code), kDark.end()) << std::hex << code;
  }
}

TEST_F(MonogramTest, LettersInWhiteOnAPaletteDisc) {
  auto image = TalvoCBUtils::monogramImage(std::string("js"), 12);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->size(), CGSizeMake(40, 40));
  EXPECT_EQ(pixelWidth(image), 80u);  // the screen's scale, 2
  EXPECT_TRUE(inPalette(pixel(image, 40, 6), kFull));
  CGPixel background = pixel(image, 40, 6);
  EXPECT_TRUE(
      colourNear(pixel(image, 6, 40), background.red, background.green, background.blue, 0));
  for (auto [x, y] : {std::pair{1, 1}, {78, 1}, {1, 78}, {78, 78}}) {
    EXPECT_EQ(pixel(image, x, y).alpha, 0);
  }
  Box ink = whiteInk(image);
  EXPECT_GT(ink.count, 60u);
  // The letters sit in the middle of the disc, by their own outline.
  EXPECT_NEAR((ink.left + ink.right) / 2.0, 39.5, 1.5);
  EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 39.5, 1.5);

  // Cached under the contact: the very same picture, the same colour.
  EXPECT_EQ(TalvoCBUtils::monogramImage(std::string("xy"), 12), image);
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(12), image);
}

TEST_F(MonogramTest, InitialsOfEveryScriptSitInTheMiddle) {
  for (const char* text : {"مع", "王小", "ЖК", "שכ", "Ωλ"}) {
    auto image = TalvoCBUtils::monogramImage(std::string(text), CGSizeMake(60, 60));
    Box ink = whiteInk(image);
    ASSERT_GT(ink.count, 60u) << text;
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 59.5, 2) << text;
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 59.5, 2) << text;
  }
  // Two Arabic initials keep their isolated forms: side by side they are wider than the same
  // letters joined into one word.
  auto arabic = whiteInk(TalvoCBUtils::monogramImage(std::string("مع"), CGSizeMake(60, 60)));
  auto joined = whiteInk(drawnImage(CGSizeMake(60, 60), 2, [](CGContextRef c) {
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    NSStringDrawInRect("مع", CGRectMake(0, 19, 60, 21), UIFont::systemFontOfSize(17),
                       NSLineBreakByTruncatingTail, NSTextAlignmentCenter);
  }));
  EXPECT_GT(arabic.right - arabic.left, joined.right - joined.left + 4);
}

TEST_F(MonogramTest, WorkersDrawAtTheSameTime) {
  // Each thread has its own image contexts and text layouts; the measurements are shared.
  std::vector<std::thread> workers;
  std::atomic<int> drawn{0};
  for (int t = 0; t < 4; ++t) {
    workers.emplace_back([t, &drawn] {
      for (int i = 0; i < 20; ++i) {
        auto image = TalvoCBUtils::monogramImage(std::string(i % 2 ? "王" : "AB") + char('a' + t),
                                                 100 * t + i + 1);
        if (image && pixelWidth(image) == 80 && whiteInk(image).count > 20) ++drawn;
      }
    });
  }
  for (auto& w : workers) w.join();
  EXPECT_EQ(drawn, 80);
}

TEST_F(MonogramTest, SquareMonogramsHaveCornersOfFivePoints) {
  setRound(false);
  auto image = TalvoCBUtils::monogramImage(std::string("AB"), 0, CGSizeMake(40, 40),
                                           UIFont::systemFontOfSize(17));
  EXPECT_EQ(pixel(image, 0, 0).alpha, 0);
  EXPECT_LT(pixel(image, 2, 2).alpha, 16);  // 1 point in: outside a corner of 5 points
  EXPECT_TRUE(inPalette(pixel(image, 12, 0), kDark));
  EXPECT_TRUE(inPalette(pixel(image, 0, 12), kDark));
  EXPECT_TRUE(inPalette(pixel(image, 5, 5), kDark));
  // Identifier 0 is never stored: each call draws anew.
  EXPECT_FALSE(TalvoCBUtils::getContactImageInCache(0));
  EXPECT_NE(TalvoCBUtils::monogramImage(std::string("AB"), 0), image);
}

TEST_F(MonogramTest, GenericMonogramIsTheBundlePictureOnAColour) {
  DeviceProfile three;
  three.scale = 3;
  enter(three);
  // A solid red picture of 30 pixels as the @3x file: 10 points.
  replaceBundlePicture("user_monogram_round@3x.png", 30, 1, 0, 0);
  auto generic = TalvoCBUtils::getMonogramImage(7, UIColor::colorWithRed(0, 0, 1, 1));
  ASSERT_TRUE(generic);
  EXPECT_EQ(generic->size(), CGSizeMake(10, 10));
  EXPECT_TRUE(colourNear(pixel(generic, 15, 15), 255, 0, 0));
  EXPECT_EQ(pixel(generic, 0, 0).alpha, 0);  // corner radius half the width, clipped
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(7), generic);

  // The drawn generic picture is transparent around the person, so the colour shows.
  enter(DeviceProfile());
  auto drawn = TalvoCBUtils::getMonogramImage(8, UIColor::colorWithRed(0, 0, 1, 1));
  EXPECT_TRUE(colourNear(pixel(drawn, 40, 4), 0, 0, 255, 30));
  EXPECT_GT(pixel(drawn, 40, 25).red, 200);  // the head

  // A missing bundle picture: no generic monogram, and no crash.
  std::filesystem::remove(device->real(
      "/System/Library/PreferenceBundles/TalvoCBSettings.bundle/user_monogram_round@2x.png"));
  TalvoCBUtils::clearImageCache();
  EXPECT_FALSE(TalvoCBUtils::getMonogramImage(9));
}

// The default picture is drawn for no contact on every call: each call's colour is drawn at
// random, and the picture shows the colour of its own call, however often it is asked for.
TEST_F(MonogramTest, EachDefaultPictureShowsTheColourOfItsCall) {
  std::set<std::string> colours;
  for (int i = 0; i < 40; ++i) {
    auto picture = TalvoCBUtils::defaultImage();
    ASSERT_TRUE(picture);
    std::string source = picture->source();
    std::size_t at = source.rfind("on #");
    ASSERT_NE(at, std::string::npos) << source;
    std::string hex = source.substr(at + 4, 6);
    colours.insert(hex);
    auto channel = [&](int n) { return std::stoi(hex.substr(2 * n, 2), nullptr, 16); };
    EXPECT_TRUE(colourNear(pixel(picture, 40, 4), channel(0), channel(1), channel(2), 30))
        << source;
    EXPECT_EQ(pixel(picture, 6, 6).alpha, 0);  // round: outside the disc
  }
  EXPECT_GT(colours.size(), 3u);
  // The round switch turned, the cache not emptied: the next one is square.
  TALCBSettings::sharedSettings()->setIsRoundedPicsEnabled(false);
  EXPECT_GT(pixel(TalvoCBUtils::defaultImage(), 6, 6).alpha, 200);
}

TEST_F(MonogramTest, MonogramsOffGiveTheBarePictures) {
  DeviceProfile one;
  one.scale = 1;
  enter(one);
  setMonograms(false);
  auto bare = TalvoCBUtils::monogramImage(std::string(""), 3);
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare, TalvoCBUtils::imageFromContentOfFile(
                      "/System/Library/PreferenceBundles/TalvoCBSettings.bundle/"
                      "user_monogram_round.png"));
  auto placeholder = TalvoCBUtils::monogramImage(std::string("JS"), 4);
  EXPECT_EQ(placeholder->size(), CGSizeMake(80, 80));
  EXPECT_EQ(placeholder, TalvoCBUtils::defaultImage());
}

TEST_F(MonogramTest, MonogramsOfAddressesAreKeptUnderTheAddress) {
  auto noAddress = TalvoCBUtils::getMonogramImageFromName(std::string("Ann Lee"), std::nullopt);
  ASSERT_TRUE(noAddress);
  EXPECT_NE(TalvoCBUtils::getMonogramImageFromName(std::string("Ann Lee"), std::nullopt),
            noAddress);
  auto first = TalvoCBUtils::getMonogramImageFromName(std::string("Ann Lee"),
                                                      std::string("ann@example.com"));
  EXPECT_EQ(TalvoCBUtils::getMonogramImageFromName(std::string("Bob Ray"),
                                                   std::string("ann@example.com")),
            first);
}
