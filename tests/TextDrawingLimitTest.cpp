// Text drawing shapes only what a label can show, so a name of endless characters or combining
// marks draws as fast as a short one.
#include <gtest/gtest.h>

#include <string>

#include "PictureSupport.h"
#include "TalvoCBUtils+MonogramText.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/NSStringDrawingLimit.h"
#include "uikit/UIFont.h"

namespace {
const std::string kAcute = "\xCC\x81";          // U+0301, a combining mark of two bytes
const std::string kFamily = "👨\u200D👩\u200D👧";  // one cluster of eighteen bytes

// The lead followed by the part, times over.
std::string repeated(const std::string& part, std::size_t times, const std::string& lead = "") {
  std::string out = lead;
  for (std::size_t i = 0; i < times; ++i) out += part;
  return out;
}

bool isCharacterBoundary(const std::string& text, std::size_t at) {
  return at == text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
}
}  // namespace

TEST(TextDrawingLimitTest, ShortTextIsShapedWhole) {
  for (const std::string& text :
       {std::string(256, 'x'), repeated("王", 256), repeated(kAcute, 100, "a")}) {
    EXPECT_EQ(NSStringDrawnPrefix(text), text) << text.size();
  }
}

TEST(TextDrawingLimitTest, LongTextIsCutAtAClusterOrCharacterBoundary) {
  EXPECT_EQ(NSStringDrawnPrefix(std::string(100000, 'x')).size(), kNSStringDrawingMaxClusters);
  EXPECT_EQ(NSStringDrawnPrefix(repeated("é", 300)), repeated("é", 256));
  // Base letters with a mark each: clusters of three bytes, cut after the 256th.
  EXPECT_EQ(NSStringDrawnPrefix(repeated("e" + kAcute, 300)), repeated("e" + kAcute, 256));

  // Clusters over the byte limit: whole clusters only.
  std::string families = repeated(kFamily, 100);
  std::string_view cut = NSStringDrawnPrefix(families);
  EXPECT_LE(cut.size(), kNSStringDrawingMaxBytes);
  EXPECT_GT(cut.size(), kNSStringDrawingMaxBytes - 2 * kFamily.size());
  EXPECT_EQ(cut.size() % kFamily.size(), 0u);

  // One letter with half a million marks is a single cluster: cut by bytes, between characters.
  std::string endless = repeated(kAcute, 500000, "a");
  cut = NSStringDrawnPrefix(endless);
  EXPECT_LE(cut.size(), kNSStringDrawingMaxBytes);
  EXPECT_GT(cut.size(), kNSStringDrawingMaxBytes - 4);
  EXPECT_TRUE(isCharacterBoundary(endless, cut.size()));
  EXPECT_EQ(cut.substr(0, 1), "a");

  // Bytes that are no UTF-8 are cut without looking for characters that are not there.
  std::string junk(5000, '\x80');
  EXPECT_LE(NSStringDrawnPrefix(junk).size(), kNSStringDrawingMaxBytes);
}

TEST(TextDrawingLimitTest, DrawingAndMeasuringUseTheCutText) {
  auto font = UIFont::systemFontOfSize(17);
  std::string shown(kNSStringDrawingMaxClusters, 'm');
  CGSize limited = NSStringBoundingRect(shown, CGSizeMake(1e6, 40), 0, font).size;
  EXPECT_GT(limited.width, 0);
  EXPECT_EQ(
      NSStringBoundingRect(shown + std::string(50000, 'm'), CGSizeMake(1e6, 40), 0, font).size,
      limited);

  // A name of one letter and endless marks draws, in the label's rectangle.
  std::string endless = repeated(kAcute, 524000, "A");
  auto label = drawnImage(CGSizeMake(60, 30), 1, [&](CGContextRef c) {
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    NSStringDrawInRect(endless, CGRectMake(0, 0, 60, 30), font, NSLineBreakByTruncatingTail,
                       NSTextAlignmentCenter);
  });
  std::size_t ink = 0;
  for (std::size_t y = 0; y < 30; ++y) {
    for (std::size_t x = 0; x < 60; ++x) ink += pixel(label, x, y).alpha > 0;
  }
  EXPECT_GT(ink, 0u);
}

TEST(TextDrawingLimitTest, MonogramsOfEndlessNamesAreTheirInitials) {
  std::string endless = repeated(kAcute, 64000, "a");
  EXPECT_EQ(TalvoCBUtils::monogramTextFromName(endless + " " + endless), "aa");
  EXPECT_EQ(TalvoCBUtils::monogramTextFromName(endless), "a");
}
