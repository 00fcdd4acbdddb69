// Trimming white space and newlines as the platform's character set has them: Unicode White_Space.
#include <gtest/gtest.h>

#include "foundation/NSStringTrimming.h"

TEST(WhiteSpaceTrimming, TrimsEveryUnicodeWhiteSpaceAtBothEndsOnly) {
  EXPECT_EQ(stringByTrimmingWhitespaceAndNewlines(" \t\r\n Bob Carter \v\f"), "Bob Carter");
  // No-break space, next line, line and paragraph separators, ideographic space.
  EXPECT_EQ(stringByTrimmingWhitespaceAndNewlines("\u00A0\u0085Bob\u2028\u2029"), "Bob");
  EXPECT_EQ(stringByTrimmingWhitespaceAndNewlines("\u3000Åsa\u00A0Öberg\u00A0"), "Åsa\u00A0Öberg");
  EXPECT_EQ(stringByTrimmingWhitespaceAndNewlines("\u00A0 \u2028"), "");
  EXPECT_EQ(stringByTrimmingWhitespaceAndNewlines(""), "");
  // A zero-width space is not white space; letters of other scripts stay whole.
  EXPECT_EQ(stringByTrimmingWhitespaceAndNewlines("\u200BAl"), "\u200BAl");
  EXPECT_EQ(stringByTrimmingWhitespaceAndNewlines(" سلمى "), "سلمى");
}

TEST(WhiteSpaceTrimming, BytesThatAreNotUtf8StayAsTheyAre) {
  EXPECT_EQ(stringByTrimmingWhitespaceAndNewlines(" \xFF"
                                                  "Al\xC3 "),
            "\xFF"
            "Al\xC3");
  EXPECT_EQ(stringByTrimmingWhitespaceAndNewlines("\xA0"), "\xA0");
}
