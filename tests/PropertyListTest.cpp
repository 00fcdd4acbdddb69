// Property lists at their limits: every type carried both ways exactly, and hostile input
// (deep nesting, NUL characters, shared or wide objects) refused without a crash.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "PropertyListEquality.h"
#include "TemporaryDevice.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A binary property list of the given objects (marker and payload), object 0 the root, with
// references of refSize bytes and offsets of 4.
Bytes binaryList(const std::vector<Bytes>& objects, int refSize = 1) {
  Bytes list = {'b', 'p', 'l', 'i', 's', 't', '0', '0'};
  std::vector<uint64_t> offsets;
  for (const Bytes& object : objects) {
    offsets.push_back(list.size());
    list.insert(list.end(), object.begin(), object.end());
  }
  auto append = [&](uint64_t v, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) list.push_back(uint8_t(v >> shift));
  };
  uint64_t tableAt = list.size();
  for (uint64_t offset : offsets) append(offset, 4);
  list.insert(list.end(), 6, 0);
  list.push_back(4);
  list.push_back(static_cast<uint8_t>(refSize));
  append(objects.size(), 8);
  append(0, 8);
  append(tableAt, 8);
  return list;
}

Bytes ref(uint64_t index, int refSize) {
  Bytes bytes;
  for (int shift = 8 * (refSize - 1); shift >= 0; shift -= 8)
    bytes.push_back(uint8_t(index >> shift));
  return bytes;
}

// `levels` arrays, each holding the next; the innermost holds `true`.
Bytes nestedBinaryArrays(std::size_t levels) {
  std::vector<Bytes> objects;
  for (std::size_t i = 0; i < levels; ++i) {
    Bytes array = {0xA1};
    Bytes next = ref(i + 1, 4);
    array.insert(array.end(), next.begin(), next.end());
    objects.push_back(array);
  }
  objects.push_back({0x09});
  return binaryList(objects, 4);
}

Bytes nestedXmlArrays(std::size_t levels) {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
  for (std::size_t i = 0; i < levels; ++i) text += "<array>";
  text += "<string>innermost</string>";
  for (std::size_t i = 0; i < levels; ++i) text += "</array>";
  text += "</plist>\n";
  return Bytes(text.begin(), text.end());
}

Bytes bytesOf(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

std::string refusal(const Bytes& bytes) {
  std::string reason;
  EXPECT_EQ(propertyListFromData(bytes, &reason), nullptr);
  return reason;
}

const double kYear2100 = 3155673600;   // 2100-01-01T00:00:00Z, past int32 seconds
const double kYear1900 = -3187296000;  // 1900-01-01T00:00:00Z

// Every type at its limits that both formats carry exactly.
std::shared_ptr<NSDictionary> everyType() {
  auto dict = make<NSDictionary>();
  auto set = [&](const char* key, const id& value) { dict->setObject(value, key); };
  set("true", NSNumber::numberWithBool(true));
  set("false", NSNumber::numberWithBool(false));
  set("zero", NSNumber::numberWithInt(0));
  set("one", NSNumber::numberWithInt(1));
  set("minus one", NSNumber::numberWithLongLong(-1));
  set("int64 min", NSNumber::numberWithLongLong(INT64_MIN));
  set("int64 max", NSNumber::numberWithLongLong(INT64_MAX));
  set("uint64 max", NSNumber::numberWithUnsignedLongLong(UINT64_MAX));
  set("2^63", NSNumber::numberWithUnsignedLongLong(uint64_t{1} << 63));
  set("double max", NSNumber::numberWithDouble(DBL_MAX));
  set("double lowest", NSNumber::numberWithDouble(-DBL_MAX));
  set("double min", NSNumber::numberWithDouble(DBL_MIN));
  set("denormal", NSNumber::numberWithDouble(std::numeric_limits<double>::denorm_min()));
  set("tenth", NSNumber::numberWithDouble(0.1));
  set("integral real", NSNumber::numberWithDouble(3.0));
  set("nan", NSNumber::numberWithDouble(std::nan("")));
  set("infinity", NSNumber::numberWithDouble(INFINITY));
  set("minus infinity", NSNumber::numberWithDouble(-INFINITY));
  set("empty string", NSString::stringWithUTF8String(""));
  set("non-ASCII string",
      NSString::stringWithUTF8String("Zo\xC3\xAB \xD7\xA9\xD7\x9C \xF0\x9F\x98\x80"));
  set("long string", NSString::stringWithUTF8String(std::string(100000, 'x')));
  set("empty data", make<NSData>(Bytes{}));
  Bytes large(1 << 20);
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<uint8_t>(i * 131 + 7);
  set("large data", make<NSData>(large));
  set("2100", make<NSDate>(kYear2100));
  set("1900", make<NSDate>(kYear1900));
  set("reference date", make<NSDate>(0));
  set("uid", make<CFKeyedArchiverUID>(0));
  set("empty array", make<NSArray>());
  set("empty dictionary", make<NSDictionary>());
  auto inner = make<NSDictionary>();
  inner->setObject(make<CFKeyedArchiverUID>(UINT32_MAX), "\xC3\xA9t\xC3\xA9");
  set("nested", make<NSArray>(std::vector<id>{make<CFKeyedArchiverUID>(7), inner,
                                              NSNumber::numberWithBool(false)}));
  set("", NSString::stringWithUTF8String("empty key"));
  return dict;
}

const NSPropertyListFormat kFormats[] = {NSPropertyListXMLFormat_v1_0,
                                         NSPropertyListBinaryFormat_v1_0};

id roundTrip(const id& value, NSPropertyListFormat format) {
  auto bytes = dataWithPropertyList(value, format);
  EXPECT_TRUE(bytes);
  return bytes ? propertyListFromData(*bytes) : nullptr;
}

}  // namespace

TEST(PropertyList, EveryTypeAtItsLimitsComesBackExactly) {
  auto dict = everyType();
  for (auto format : kFormats) {
    auto back = cast<NSDictionary>(roundTrip(dict, format));
    ASSERT_TRUE(back) << format;
    for (const auto& [key, value] : dict->entries) {
      EXPECT_TRUE(identicalPropertyLists(value, back->objectForKey(key)))
          << key << " in format " << format << ": " << value->description() << " came back as "
          << (back->objectForKey(key) ? back->objectForKey(key)->description() : "nil");
    }
    EXPECT_TRUE(identicalPropertyLists(dict, back));
  }
}

TEST(PropertyList, EveryTypeComesBackThroughFiles) {
  TemporaryDevice device;
  auto dict = everyType();
  const std::string path = "/var/mobile/Library/Preferences/every.plist";
  ASSERT_TRUE(dict->writeToFile(path, true));
  EXPECT_TRUE(identicalPropertyLists(dict, NSDictionary::dictionaryWithContentsOfFile(path)));

  auto binary = dataWithPropertyList(dict, NSPropertyListBinaryFormat_v1_0);
  ASSERT_TRUE(binary && writeRealFile(device.real(path), *binary, true));
  EXPECT_TRUE(identicalPropertyLists(dict, readPropertyListFile(device.real(path))));
  // The settings writers read, change one key and write back.
  auto read = NSDictionary::dictionaryWithContentsOfFile(path);
  ASSERT_TRUE(read);
  read->setObject(NSNumber::numberWithBool(false), "true");
  ASSERT_TRUE(read->writeToFile(path, true));
  dict->setObject(NSNumber::numberWithBool(false), "true");
  EXPECT_TRUE(identicalPropertyLists(dict, NSDictionary::dictionaryWithContentsOfFile(path)));
}

TEST(PropertyList, WhatOnlyTheBinaryFormatCarries) {
  // XML writes dates in whole seconds and a real of integral value without its sign.
  auto array = make<NSArray>(std::vector<id>{make<NSDate>(12.75), make<NSDate>(kYear2100 + 0.5),
                                             make<NSDate>(-1.5), NSNumber::numberWithDouble(-0.0)});
  auto binary = cast<NSArray>(roundTrip(array, NSPropertyListBinaryFormat_v1_0));
  EXPECT_TRUE(identicalPropertyLists(array, binary));

  auto xml = cast<NSArray>(roundTrip(array, NSPropertyListXMLFormat_v1_0));
  ASSERT_TRUE(xml && xml->items.size() == 4);
  EXPECT_EQ(cast<NSDate>(xml->items[0])->seconds, 12);
  EXPECT_EQ(cast<NSDate>(xml->items[1])->seconds, kYear2100);
  EXPECT_EQ(cast<NSDate>(xml->items[2])->seconds, -1);
  EXPECT_TRUE(identicalPropertyLists(xml->items[3], NSNumber::numberWithDouble(0.0)));
}

TEST(PropertyList, IntegersKeepTheirSignInBothFormats) {
  // libplist writes an unsigned integer in XML as digits and in binary as 16 bytes; the same
  // 64 bits read as signed are -1.
  auto xml =
      propertyListFromData(bytesOf("<plist><array><integer>18446744073709551615</"
                                   "integer><integer>-1</integer></array></plist>"));
  auto items = cast<NSArray>(xml)->items;
  EXPECT_TRUE(identicalPropertyLists(items[0], NSNumber::numberWithUnsignedLongLong(UINT64_MAX)));
  EXPECT_TRUE(identicalPropertyLists(items[1], NSNumber::numberWithLongLong(-1)));
  EXPECT_EQ(integerValue(items[1]), -1);

  auto binary =
      binaryList({{0xA2, 1, 2},
                  {0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff},
                  {0x13, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}});
  items = cast<NSArray>(propertyListFromData(binary))->items;
  EXPECT_TRUE(identicalPropertyLists(items[0], NSNumber::numberWithUnsignedLongLong(UINT64_MAX)));
  EXPECT_TRUE(identicalPropertyLists(items[1], NSNumber::numberWithLongLong(-1)));
  // A 16-byte integer that does not fit 64 bits would lose its high half.
  EXPECT_EQ(
      refusal(binaryList({{0xA1, 1}, {0x14, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 5}})),
      "holds an integer wider than 64 bits");
}

TEST(PropertyList, UIDsAreCarriedAndBounded) {
  auto uid = make<CFKeyedArchiverUID>(42);
  EXPECT_TRUE(uid->isEqual(CFKeyedArchiverUID(42)));
  EXPECT_FALSE(uid->isEqual(CFKeyedArchiverUID(43)));
  EXPECT_FALSE(uid->isEqual(*NSNumber::numberWithInt(42)));
  // libplist writes a UID's low 32 bits only.
  std::string reason;
  auto wide = make<NSArray>(std::vector<id>{make<CFKeyedArchiverUID>(uint64_t{1} << 32)});
  for (auto format : kFormats) EXPECT_FALSE(dataWithPropertyList(wide, format, &reason));
  EXPECT_EQ(reason, "holds a UID above 4294967295");
  // In XML a UID is a dictionary of one key; with any other entry it stays a dictionary.
  auto dict = cast<NSDictionary>(propertyListFromData(bytesOf(
      "<plist><dict><key>CF$UID</key><integer>1</integer><key>b</key><true/></dict></plist>")));
  ASSERT_TRUE(dict);
  EXPECT_EQ(dict->count(), 2u);
}

TEST(PropertyList, DeepNestingIsRefusedWithoutACrash) {
  const std::string tooDeep = "nests deeper than 256 levels";
  EXPECT_EQ(refusal(nestedXmlArrays(50000)), tooDeep);
  EXPECT_EQ(refusal(nestedBinaryArrays(50000)), tooDeep);
  // The limit itself is fine, one more level is not.
  EXPECT_TRUE(propertyListFromData(nestedXmlArrays(256)));
  EXPECT_TRUE(propertyListFromData(nestedBinaryArrays(256)));
  EXPECT_EQ(refusal(nestedXmlArrays(257)), tooDeep);
  EXPECT_EQ(refusal(nestedBinaryArrays(257)), tooDeep);
  // Comments and CDATA do not hide levels.
  std::string hidden = "<plist>";
  for (int i = 0; i < 300; ++i)
    hidden += "<array><!-- </array> --><string><![CDATA[</array>]]></string>";
  EXPECT_EQ(refusal(bytesOf(hidden)), tooDeep);

  // Nor is a tree in memory written deeper than it could be read.
  id tree = make<NSArray>();
  for (int i = 0; i < 300; ++i) tree = make<NSArray>(std::vector<id>{tree});
  std::string reason;
  EXPECT_FALSE(dataWithPropertyList(tree, NSPropertyListBinaryFormat_v1_0, &reason));
  EXPECT_EQ(reason, tooDeep);
}

TEST(PropertyList, SharedAndCyclicBinaryObjectsAreRefused) {
  // Each of 40 arrays refers twice to the next: 2^40 objects once parsed.
  std::vector<Bytes> objects;
  for (uint8_t i = 0; i < 40; ++i) objects.push_back({0xA2, uint8_t(i + 1), uint8_t(i + 1)});
  objects.push_back({0x09});
  EXPECT_EQ(refusal(binaryList(objects)), "holds more than 1048576 objects");
  // Shared but small is fine: one string twice in an array.
  auto shared = cast<NSArray>(propertyListFromData(binaryList({{0xA2, 1, 1}, {0x51, 'x'}})));
  ASSERT_TRUE(shared);
  EXPECT_EQ(shared->items.size(), 2u);
  EXPECT_EQ(refusal(binaryList({{0xA1, 0}})), "is not a property list");
  EXPECT_EQ(refusal(binaryList({{0xA1, 5}})), "is not a property list");
}

TEST(PropertyList, NulCharactersAreRefusedWithoutAnAbort) {
  using namespace std::string_literals;
  const std::string nul = "holds a NUL character";
  EXPECT_EQ(refusal(bytesOf("<plist><dict><key>k</key><string>a\0b</string></dict></plist>"s)),
            nul);
  EXPECT_EQ(refusal(bytesOf("<plist><dict><key>a\0b</key><true/></dict></plist>"s)), nul);
  EXPECT_EQ(refusal(bytesOf("<plist><array><string>a&#0;b</string></array></plist>")),
            "is not a property list");  // libplist refuses the reference itself
  EXPECT_EQ(refusal(binaryList({{0xD1, 1, 2}, {0x51, 'k'}, {0x53, 'a', 0, 'b'}})), nul);
  EXPECT_EQ(refusal(binaryList({{0xD1, 1, 2}, {0x53, 'a', 0, 'b'}, {0x09}})), nul);
  EXPECT_EQ(refusal(binaryList({{0xD1, 1, 2}, {0x62, 0, 'a', 0, 0}, {0x09}})), nul);
  EXPECT_EQ(refusal(binaryList({{0xA1, 1}, {0x62, 0, 'a', 0, 0}})), nul);
  // Nor is one written, where libplist would cut the text short.
  std::string reason;
  auto dict = make<NSDictionary>();
  dict->setObject(NSString::stringWithUTF8String("a\0b"s), "k");
  EXPECT_FALSE(dataWithPropertyList(dict, NSPropertyListXMLFormat_v1_0, &reason));
  EXPECT_EQ(reason, nul);
  dict = make<NSDictionary>();
  dict->setObject(NSNumber::numberWithBool(true), "a\0b"s);
  EXPECT_FALSE(dataWithPropertyList(dict, NSPropertyListBinaryFormat_v1_0));
}

TEST(PropertyList, TextMustBeValidUnicode) {
  using namespace std::string_literals;
  const std::string notUnicode = "holds text that is not valid Unicode";
  // A binary "ASCII" string with a byte above 0x7f, a lone UTF-16 surrogate, raw Latin-1 in XML.
  EXPECT_EQ(refusal(binaryList({{0xA1, 1}, {0x53, 'm', 0x9e, 'n'}})), notUnicode);
  EXPECT_EQ(refusal(binaryList({{0xD1, 1, 2}, {0x51, 0xe9}, {0x09}})), notUnicode);
  EXPECT_EQ(refusal(binaryList({{0xA1, 1}, {0x61, 0xd8, 0x00}})), notUnicode);
  EXPECT_EQ(refusal(binaryList({{0xA1, 1}, {0x62, 0xdc, 0x00, 0xd8, 0x00}})), notUnicode);
  EXPECT_EQ(refusal(binaryList({{0xA1, 1}, {0x62, 0xd8, 0x00, 0x00, 'A'}})), notUnicode);
  auto pair =
      cast<NSArray>(propertyListFromData(binaryList({{0xA1, 1}, {0x62, 0xd8, 0x3d, 0xde, 0x00}})));
  ASSERT_TRUE(pair);
  EXPECT_EQ(stringValue(pair->items[0]), "\xF0\x9F\x98\x80");
  EXPECT_EQ(refusal(bytesOf("<plist><array><string>caf\xe9</string></array></plist>")), notUnicode);
  EXPECT_FALSE(
      propertyListFromData(bytesOf("<plist><array><string>&#xD800;</string></array></plist>")));
  // libplist would write these bytes to a binary list as other text.
  std::string reason;
  auto array = make<NSArray>(std::vector<id>{NSString::stringWithUTF8String("caf\xe9")});
  EXPECT_FALSE(dataWithPropertyList(array, NSPropertyListBinaryFormat_v1_0, &reason));
  EXPECT_EQ(reason, notUnicode);
  auto overlong = make<NSArray>(std::vector<id>{NSString::stringWithUTF8String("\xc0\xaf")});
  EXPECT_FALSE(dataWithPropertyList(overlong, NSPropertyListXMLFormat_v1_0));
}

TEST(PropertyList, XmlDatesHaveFourDigitYears) {
  const double year1 = -63113904000;     // 0001-01-01T00:00:00Z
  const double year9999 = 252423993599;  // 9999-12-31T23:59:59Z
  auto carried = make<NSArray>(std::vector<id>{make<NSDate>(year1), make<NSDate>(year9999)});
  EXPECT_TRUE(identicalPropertyLists(carried, roundTrip(carried, NSPropertyListXMLFormat_v1_0)));
  for (double seconds : {year9999 + 1, year1 - 1, double(NAN), double(INFINITY)}) {
    auto date = make<NSArray>(std::vector<id>{make<NSDate>(seconds)});
    std::string reason;
    EXPECT_FALSE(dataWithPropertyList(date, NSPropertyListXMLFormat_v1_0, &reason)) << seconds;
    EXPECT_EQ(reason, "holds a date outside the years 1 to 9999");
    EXPECT_TRUE(identicalPropertyLists(date, roundTrip(date, NSPropertyListBinaryFormat_v1_0)));
  }
}
