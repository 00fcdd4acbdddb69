// Value rules, property lists and device paths of the stand-in foundation.
#include <gtest/gtest.h>

#include <filesystem>

#include "TemporaryDevice.h"
#include "foundation/NSCache.h"
#include "foundation/NSFileManager.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

TEST(Foundation, StringValueRules) {
  for (const char* yes : {"YES", "yes", "true", "T", "1", "  +007", "-1", "9x"}) {
    EXPECT_TRUE(NSStringBoolValue(yes)) << yes;
  }
  for (const char* no : {"", "NO", "false", "0", "  000", "x1", "-0", "+"}) {
    EXPECT_FALSE(NSStringBoolValue(no)) << no;
  }
  EXPECT_DOUBLE_EQ(NSStringDoubleValue("7.1.2"), 7.1);
  EXPECT_DOUBLE_EQ(NSStringDoubleValue("  10.0"), 10.0);
  EXPECT_DOUBLE_EQ(NSStringDoubleValue("beta"), 0.0);
  EXPECT_EQ(NSStringIntegerValue(" 4S"), 4);
  EXPECT_EQ(NSStringIntegerValue("99999999999999999999999"), INT64_MAX);
  EXPECT_FALSE(boolValue(make<NSArray>()));
  EXPECT_FALSE(boolValue(nullptr));
}

TEST(Foundation, NumbersAreEqualByValueWhateverTheirWidth) {
  auto small = NSNumber::numberWithInt(42);
  auto wide = NSNumber::numberWithLongLong(42);
  EXPECT_TRUE(small->isEqual(*wide));
  EXPECT_EQ(small->hash(), wide->hash());
  EXPECT_TRUE(NSNumber::numberWithDouble(42.0)->isEqual(*small));
  EXPECT_EQ(NSNumber::numberWithDouble(42.0)->hash(), small->hash());
  EXPECT_FALSE(NSNumber::numberWithDouble(42.5)->isEqual(*small));
  EXPECT_FALSE(small->isEqual(*NSString::stringWithUTF8String("42")));
}

TEST(Foundation, UnsignedNumbersKeepTheirValue) {
  auto max = NSNumber::numberWithUnsignedLongLong(UINT64_MAX);
  auto minusOne = NSNumber::numberWithLongLong(-1);
  EXPECT_FALSE(max->isEqual(*minusOne));
  EXPECT_FALSE(minusOne->isEqual(*max));
  EXPECT_EQ(max->description(), "18446744073709551615");
  EXPECT_EQ(max->integerValue(), -1);  // as the platform reads it
  EXPECT_DOUBLE_EQ(max->doubleValue(), 18446744073709551615.0);
  // Equal numbers hash alike, whatever their kind.
  auto asDouble = NSNumber::numberWithDouble(18446744073709551616.0);
  EXPECT_TRUE(max->isEqual(*asDouble));
  EXPECT_EQ(max->hash(), asDouble->hash());
  auto unsignedSeven = NSNumber::numberWithUnsignedLongLong(7);
  EXPECT_TRUE(unsignedSeven->isEqual(*NSNumber::numberWithInt(7)));
  EXPECT_EQ(unsignedSeven->hash(), NSNumber::numberWithInt(7)->hash());
  EXPECT_TRUE(NSNumber::numberWithDouble(-0.0)->isEqual(*NSNumber::numberWithInt(0)));
  EXPECT_EQ(NSNumber::numberWithDouble(-0.0)->hash(), NSNumber::numberWithInt(0)->hash());

  NSCache cache;
  cache.setObject(NSString::stringWithUTF8String("seven"), NSNumber::numberWithInt(7));
  cache.setObject(NSString::stringWithUTF8String("max"), max);
  EXPECT_EQ(stringValue(cache.objectForKey(unsignedSeven)), "seven");
  EXPECT_EQ(stringValue(cache.objectForKey(asDouble)), "max");
  EXPECT_EQ(cache.objectForKey(minusOne), nullptr);
}

TEST(Foundation, PropertyListsRoundTripInBothFormats) {
  auto dict = make<NSDictionary>();
  dict->setObject(NSNumber::numberWithBool(true), "flag");
  dict->setObject(NSNumber::numberWithLongLong(-5), "negative");
  dict->setObject(NSNumber::numberWithDouble(2.5), "real");
  dict->setObject(NSString::stringWithUTF8String("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D"), "text");
  dict->setObject(make<NSData>(std::vector<uint8_t>{0, 1, 255}), "data");
  for (auto format : {NSPropertyListXMLFormat_v1_0, NSPropertyListBinaryFormat_v1_0}) {
    auto bytes = dataWithPropertyList(dict, format);
    ASSERT_TRUE(bytes);
    auto back = cast<NSDictionary>(propertyListFromData(*bytes));
    ASSERT_TRUE(back);
    EXPECT_TRUE(cast<NSNumber>(back->objectForKey("flag"))->isBool());
    EXPECT_EQ(integerValue(back->objectForKey("negative")), -5);
    EXPECT_DOUBLE_EQ(doubleValue(back->objectForKey("real")), 2.5);
    EXPECT_EQ(stringValue(back->objectForKey("text")), "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D");
    EXPECT_EQ(cast<NSData>(back->objectForKey("data"))->bytes, (std::vector<uint8_t>{0, 1, 255}));
  }
  auto binary = dataWithPropertyList(dict, NSPropertyListBinaryFormat_v1_0);
  EXPECT_EQ(std::string(binary->begin(), binary->begin() + 6), "bplist");
}

TEST(Foundation, DictionaryFromFileIsNilUnlessTheRootIsADictionary) {
  TemporaryDevice device;
  const std::string path = "/var/mobile/test.plist";
  EXPECT_EQ(NSDictionary::dictionaryWithContentsOfFile(path), nullptr);  // missing
  for (const std::string& contents : std::vector<std::string>{
           "", "garbage", "<plist><array/></plist>", "<?xml version=\"1.0\"?><plist><dict><key>a",
           std::string("bplist00\xd1\x01", 8)}) {
    device.writeFile(path, contents);
    EXPECT_EQ(NSDictionary::dictionaryWithContentsOfFile(path), nullptr) << contents;
  }
  std::filesystem::remove(device.real(path));
  std::filesystem::create_directory(device.real(path));
  EXPECT_EQ(NSDictionary::dictionaryWithContentsOfFile(path), nullptr);
}

TEST(Foundation, DevicePathsAndAtomicWrites) {
  TemporaryDevice device;
  EXPECT_EQ(fileSystemRepresentation("/tmp/x"), device.root() + "/tmp/x");
  EXPECT_EQ(fileSystemRepresentation("User/Library"), device.root() + "/User/Library");
  EXPECT_EQ(stringByAppendingPathComponent("User", "Library/Preferences"),
            "User/Library/Preferences");
  EXPECT_EQ(stringByAppendingPathComponent("/", "tmp"), "/tmp");

  auto dict = make<NSDictionary>();
  dict->setObject(NSNumber::numberWithBool(true), "k");
  // "User" and "/var/mobile" are the same home.
  ASSERT_TRUE(dict->writeToFile("User/Library/Preferences/a.plist", true));
  EXPECT_TRUE(
      NSFileManager::defaultManager().fileExistsAtPath("/var/mobile/Library/Preferences/a.plist"));
  for (const auto& entry :
       std::filesystem::directory_iterator(device.real("/var/mobile/Library/Preferences"))) {
    EXPECT_EQ(entry.path().filename(), "a.plist");  // no temporary file left behind
  }
  EXPECT_FALSE(dict->writeToFile("/no/such/folder/a.plist", true));
}
