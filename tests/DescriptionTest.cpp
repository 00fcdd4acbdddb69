// Foundation objects describe themselves as the platform prints them in log lines.
#include <gtest/gtest.h>

#include "foundation/NSValueTypes.h"

TEST(Description, DictionariesAndArraysInTheOldStylePropertyListForm) {
  auto inner = make<NSDictionary>();
  inner->setObject(NSNumber::numberWithInt(2), "c");
  auto dictionary = make<NSDictionary>();
  dictionary->setObject(NSNumber::numberWithBool(true), "TalvoCBEnabled");
  dictionary->setObject(NSNumber::numberWithBool(false), "TalvoCBEnabledPhone");
  dictionary->setObject(inner, "nested");
  dictionary->setObject(
      make<NSArray>(std::vector<id>{make<NSString>("one"), make<NSString>("two words")}), "list");
  dictionary->setObject(make<NSString>("a b"), "with space");
  EXPECT_EQ(dictionary->description(),
            "{\n"
            "    TalvoCBEnabled = 1;\n"
            "    TalvoCBEnabledPhone = 0;\n"
            "    list =     (\n"
            "        one,\n"
            "        \"two words\"\n"
            "    );\n"
            "    nested =     {\n"
            "        c = 2;\n"
            "    };\n"
            "    \"with space\" = \"a b\";\n"
            "}");
  EXPECT_EQ(make<NSDictionary>()->description(), "{\n}");
  EXPECT_EQ(make<NSArray>()->description(), "(\n)");
}

TEST(Description, StringsAreQuotedAndEscapedOnlyWhereTheyNeedIt) {
  auto in = [](const std::string& text) {
    return make<NSArray>(std::vector<id>{make<NSString>(text)})->description();
  };
  EXPECT_EQ(in("plain_$./:9"), "(\n    plain_$./:9\n)");
  EXPECT_EQ(in(""), "(\n    \"\"\n)");
  EXPECT_EQ(in("say \"hi\"\\\n\t"), "(\n    \"say \\\"hi\\\"\\\\\\n\\t\"\n)");
  EXPECT_EQ(in("caf\xC3\xA9 \xF0\x9F\x98\x80"), "(\n    \"caf\\U00e9 \\Ud83d\\Ude00\"\n)");
  // Alone, a string is its own text.
  EXPECT_EQ(make<NSString>("a b")->description(), "a b");
}

TEST(Description, DataAndDatesInsideCollections) {
  auto data = make<NSData>(std::vector<uint8_t>{0x01, 0x02, 0xab, 0xff, 0x10});
  EXPECT_EQ(data->description(), "<0102abff 10>");
  EXPECT_EQ(make<NSDate>(0)->description(), "2001-01-01 00:00:00 +0000");
  EXPECT_EQ(make<NSArray>(std::vector<id>{NSNumber::numberWithDouble(1.5), id()})->description(),
            "(\n    1.5,\n    (null)\n)");
}
