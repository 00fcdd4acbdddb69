// The rule that picks a monogram's colour: a random start plus the contact identifier, modulo the
// palette; a sum past the end is replaced by a random even index. So for identifier k the colour
// is at an index from k mod n on, or at an even index, and never anywhere else.
#include <cmath>
#include <set>

#include "MonogramPalettes.h"
#include "PictureSupport.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"

namespace {
using monogram_palettes::kDark;
using monogram_palettes::kFull;

// The palette index of a colour (or of an opaque pixel), -1 when it is not in the palette.
int indexOf(int r, int g, int b, const std::vector<uint32_t>& palette) {
  for (std::size_t i = 0; i < palette.size(); ++i) {
    uint32_t code = palette[i];
    if (std::abs(r - int(code >> 16)) <= 2 && std::abs(g - int((code >> 8) & 0xff)) <= 2 &&
        std::abs(b - int(code & 0xff)) <= 2) {
      return static_cast<int>(i);
    }
  }
  return -1;
}
int indexOf(const UIColorPtr& color, const std::vector<uint32_t>& palette) {
  CGFloat r, g, b, a;
  color->getRed(&r, &g, &b, &a);
  EXPECT_EQ(a, 1.0);
  return indexOf(int(std::lround(r * 255)), int(std::lround(g * 255)), int(std::lround(b * 255)),
                 palette);
}

// The indexes the rule can give identifier k (k >= 1) in a palette of n.
std::set<int> reachable(long k, int n) {
  std::set<int> indexes;
  for (int i = 0; i < n; ++i) {
    if (i >= k % n || i % 2 == 0) indexes.insert(i);
  }
  return indexes;
}

// What many picks for the identifier gave.
std::set<int> picked(long k, bool dark, int draws = 3000) {
  std::set<int> seen;
  const auto& palette = dark ? kDark : kFull;
  for (int i = 0; i < draws; ++i)
    seen.insert(indexOf(TalvoCBUtils::getMonogramRandomColor(k, dark), palette));
  return seen;
}

class MonogramColourRuleTest : public PictureDevice {};
}  // namespace

TEST_F(MonogramColourRuleTest, TheIdentifierSetsTheLowestIndexOfTheSum) {
  // Full palette: 29 leaves only the last entry and the even ones; 45 is 15 past the size.
  EXPECT_EQ(picked(29, false), reachable(29, 30));
  EXPECT_EQ(picked(59, false), reachable(29, 30));
  EXPECT_EQ(picked(45, false), reachable(45, 30));
  EXPECT_EQ(picked(30, false), reachable(30, 30));  // 0: every index, by the start alone
  // Dark palette.
  EXPECT_EQ(picked(12, true), reachable(12, 13));
  EXPECT_EQ(picked(25, true), reachable(12, 13));
  EXPECT_EQ(picked(7, true), reachable(7, 13));
}

TEST_F(MonogramColourRuleTest, MonogramsAreFilledByTheRuleOfTheirContact) {
  // The disc's colour just inside its top edge, away from the letters.
  auto discIndex = [](const UIImagePtr& image, const std::vector<uint32_t>& palette) {
    CGPixel p = pixel(image, pixelWidth(image) / 2, 6);
    EXPECT_EQ(p.alpha, 255);
    return indexOf(p.red, p.green, p.blue, palette);
  };
  std::set<int> full, dark;
  for (int i = 0; i < 150; ++i) {
    TalvoCBUtils::clearImageCache();  // a cached monogram keeps its colour
    full.insert(discIndex(TalvoCBUtils::monogramImage(std::string("js"), 29), kFull));
    dark.insert(discIndex(TalvoCBUtils::monogramImage(std::string("js"), 12, CGSizeMake(40, 40),
                                                      UIFont::systemFontOfSize(17)),
                          kDark));
  }
  std::set<int> fullAllowed = reachable(29, 30), darkAllowed = reachable(12, 13);
  for (int index : full) EXPECT_TRUE(fullAllowed.count(index)) << index;
  for (int index : dark) EXPECT_TRUE(darkAllowed.count(index)) << index;
  EXPECT_GT(full.size(), 5u);
  EXPECT_GT(dark.size(), 3u);
}

TEST_F(MonogramColourRuleTest, FaceTimeGetsTheDarkPaletteByTheSameRule) {
  sim::setMainBundleIdentifier("com.apple.facetime");
  std::set<int> seen;
  for (int i = 0; i < 3000; ++i)
    seen.insert(indexOf(TalvoCBUtils::getMonogramRandomColor(12), kDark));
  EXPECT_EQ(seen, reachable(12, 13));
  sim::setMainBundleIdentifier("com.apple.springboard");
  seen.clear();
  for (int i = 0; i < 3000; ++i)
    seen.insert(indexOf(TalvoCBUtils::getMonogramRandomColor(29), kFull));
  EXPECT_EQ(seen, reachable(29, 30));
}
