// The colours a monogram can get, worked out by hand from the palettes' tables for a few
// identifiers. A random start a in 0..n-1 is added to the identifier's remainder b; a sum past the
// palette's end gives way to a random even index. So identifier 29 in the full palette (b = 29)
// gets index 29 only when a = 0, and an even index otherwise.
#include <cmath>
#include <set>
#include <string>

#include "PictureSupport.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+Monograms.h"
#include "TalvoCBUtils+MonogramsInternal.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"

namespace {
using Codes = std::set<std::string>;

// The even entries of the full palette (indexes 0, 2, ... 28) and of the dark one (0 ... 12).
const Codes kFullEven = {"#4b9484", "#9f9cd2", "#42d7b6", "#84f4eb", "#898c66",
                         "#839096", "#a5682a", "#c9b580", "#cfd8f0", "#d2cf9c",
                         "#d8bfd8", "#dacff0", "#ee9572", "#f0cfe7", "#f9cccc"};
const Codes kDarkEven = {"#4b9484", "#576c93", "#4785f2", "#a2c257",
                         "#cd6b80", "#e3b333", "#f484c6"};

Codes with(Codes codes, std::initializer_list<const char*> more) {
  codes.insert(more.begin(), more.end());
  return codes;
}

std::string code(int r, int g, int b) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", r, g, b);
  return text;
}
std::string code(const UIColorPtr& color) {
  CGFloat r, g, b, a;
  color->getRed(&r, &g, &b, &a);
  EXPECT_EQ(a, 1.0);
  auto byte = [](CGFloat v) { return static_cast<int>(std::lround(v * 255)); };
  return code(byte(r), byte(g), byte(b));
}

Codes picked(long contactID, bool dark, int draws = 3000) {
  Codes seen;
  for (int i = 0; i < draws; ++i) {
    seen.insert(code(TalvoCBUtils::getMonogramRandomColor(contactID, dark)));
  }
  return seen;
}

class MonogramColourRuleTest : public PictureDevice {};
}  // namespace

TEST_F(MonogramColourRuleTest, HandWorkedIdentifiersGetExactlyTheirColours) {
  // Full palette, 29 and 59 (59 mod 30 = 29): "#f484c6" (index 29) or an even entry.
  EXPECT_EQ(picked(29, false), with(kFullEven, {"#f484c6"}));
  EXPECT_EQ(picked(59, false), with(kFullEven, {"#f484c6"}));
  // 27: index 27 ("#f0eacf"), 28 (even) or 29 directly, else an even entry.
  EXPECT_EQ(picked(27, false), with(kFullEven, {"#f0eacf", "#f484c6"}));
  // Dark palette, 12 and 25 (25 mod 13 = 12): index 12 or an even entry, which includes 12.
  EXPECT_EQ(picked(12, true), kDarkEven);
  EXPECT_EQ(picked(25, true), kDarkEven);
  // 11: "#EE9572" (index 11) at a = 0, else index 12 or an even entry.
  EXPECT_EQ(picked(11, true), with(kDarkEven, {"#ee9572"}));
}

TEST_F(MonogramColourRuleTest, MonogramsAreFilledWithTheirContactsColours) {
  // The disc's colour just inside its top edge, away from the letters.
  auto discColour = [](const UIImagePtr& image) {
    CGPixel p = pixel(image, pixelWidth(image) / 2, 6);
    EXPECT_EQ(p.alpha, 255);
    return code(p.red, p.green, p.blue);
  };
  // Drawn colours may be a step off the code; the nearest allowed code within 2 counts.
  auto near = [](const std::string& seen, const Codes& allowed) {
    unsigned r = 0, g = 0, b = 0;
    std::sscanf(seen.c_str(), "#%02x%02x%02x", &r, &g, &b);
    for (const std::string& c : allowed) {
      unsigned cr = 0, cg = 0, cb = 0;
      std::sscanf(c.c_str(), "#%02x%02x%02x", &cr, &cg, &cb);
      auto within = [](unsigned a, unsigned b) { return (a > b ? a - b : b - a) <= 2; };
      if (within(r, cr) && within(g, cg) && within(b, cb)) return true;
    }
    return false;
  };
  const Codes fullAllowed = with(kFullEven, {"#f484c6"});
  std::set<std::string> full, dark;
  for (int i = 0; i < 150; ++i) {
    TalvoCBUtils::clearImageCache();  // a cached monogram keeps its colour
    full.insert(discColour(TalvoCBUtils::monogramImage(std::string("js"), 29)));
    dark.insert(discColour(TalvoCBUtils::monogramImage(std::string("js"), 12, CGSizeMake(40, 40),
                                                       UIFont::systemFontOfSize(17))));
  }
  for (const std::string& c : full) EXPECT_TRUE(near(c, fullAllowed)) << c;
  for (const std::string& c : dark) EXPECT_TRUE(near(c, kDarkEven)) << c;
  EXPECT_GT(full.size(), 5u);
  EXPECT_GT(dark.size(), 3u);
}

TEST_F(MonogramColourRuleTest, FaceTimeGetsTheDarkPalette) {
  standin::setMainBundleIdentifier("com.apple.facetime");
  Codes seen;
  for (int i = 0; i < 3000; ++i) seen.insert(code(TalvoCBUtils::getMonogramRandomColor(11)));
  EXPECT_EQ(seen, with(kDarkEven, {"#ee9572"}));
  standin::setMainBundleIdentifier("com.apple.springboard");
  seen.clear();
  for (int i = 0; i < 3000; ++i) seen.insert(code(TalvoCBUtils::getMonogramRandomColor(29)));
  EXPECT_EQ(seen, with(kFullEven, {"#f484c6"}));
}
