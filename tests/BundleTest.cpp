// Bundles opened by path: resources by the screen's scale, localized strings.
#include <gtest/gtest.h>

#include <filesystem>

#include "TemporaryDevice.h"
#include "foundation/NSBundle.h"
#include "foundation/NSStringsFile.h"

namespace {
constexpr const char* kBundle = "/System/Library/PreferenceBundles/TalvoCBSettings.bundle";

DeviceProfile scaled(double scale) {
  DeviceProfile p;
  p.scale = scale;
  return p;
}

void writeIn(const TemporaryDevice& device, const std::string& name, const std::string& text) {
  std::filesystem::create_directories(
      std::filesystem::path(device.real(std::string(kBundle) + "/" + name)).parent_path());
  device.writeFile(std::string(kBundle) + "/" + name, text);
}
}  // namespace

TEST(Bundle, ResourcesFollowTheScreensScale) {
  for (double scale : {1.0, 2.0, 3.0}) {
    TemporaryDevice device(scaled(scale));
    writeIn(device, "recent.png", "1");
    writeIn(device, "recent@2x.png", "2");
    writeIn(device, "only@3x.png", "3");
    std::filesystem::create_directories(device.real(std::string(kBundle) + "/folder.png"));
    auto bundle = NSBundle::bundleWithPath(kBundle);
    ASSERT_TRUE(bundle);
    std::string expected = std::string(kBundle) + (scale >= 2 ? "/recent@2x.png" : "/recent.png");
    EXPECT_EQ(bundle->pathForResource("recent", "png"), expected) << scale;
    EXPECT_EQ(bundle->pathForResource("only", "png").has_value(), scale == 3) << scale;
    EXPECT_EQ(bundle->pathForResource("recent.png", std::nullopt).value_or(""),
              std::string(kBundle) + "/recent.png");
    // A folder is no resource, and no name leads out of the bundle.
    EXPECT_FALSE(bundle->pathForResource("folder", "png"));
    EXPECT_FALSE(bundle->pathForResource("../TalvoCBSettings.bundle/recent", "png"));
    EXPECT_FALSE(bundle->pathForResource("missing", "png"));
  }
  TemporaryDevice device;
  EXPECT_FALSE(NSBundle::bundleWithPath("/System/Library/PreferenceBundles/None.bundle"));
}

TEST(Bundle, LocalizedStringsFromEitherFormOfTable) {
  TemporaryDevice device;
  writeIn(device, "en.lproj/Localizable.strings",
          "/* The pane */\n\"OK\" = \"OK\";\n// a line comment\n"
          "\"SEND_LOG\" = \"Send \\\"log\\\"\\n\\u00e9\";\nBARE = \"bare key\";\n");
  writeIn(device, "en.lproj/TalvoCB.strings",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
          "<key>TITLE</key><string>Talvo</string></dict></plist>\n");
  writeIn(device, "Broken.strings", "\"A\" = \"1\";\n\"B\" = \"2\"\n");
  auto bundle = NSBundle::bundleWithPath(kBundle);
  ASSERT_TRUE(bundle);
  EXPECT_EQ(bundle->localizedStringForKey("SEND_LOG", "", std::nullopt), "Send \"log\"\n\xC3\xA9");
  EXPECT_EQ(bundle->localizedStringForKey("BARE", "", std::nullopt), "bare key");
  EXPECT_EQ(bundle->localizedStringForKey("TITLE", "", "TalvoCB"), "Talvo");
  EXPECT_EQ(bundle->localizedStringForKey("NONE", "Fallback", std::nullopt), "Fallback");
  EXPECT_EQ(bundle->localizedStringForKey("NONE", std::nullopt, "TalvoCB"), "NONE");
  // A broken table answers nothing rather than half of its keys.
  EXPECT_EQ(bundle->localizedStringForKey("A", "", "Broken"), "A");
}

TEST(Bundle, OldStyleTablesAreReadCarefully) {
  auto parse = [](const std::string& text) {
    return parseStringsFile(std::vector<uint8_t>(text.begin(), text.end()));
  };
  EXPECT_EQ(parse("\xEF\xBB\xBF\"k\" = \"v\";")->at("k"), "v");
  EXPECT_EQ(parse("\"alone\";")->at("alone"), "alone");
  EXPECT_TRUE(parse("")->empty());
  for (const char* broken : {"\"k\" = \"v", "\"k\" = \"v\"", "/* open", "\"k\" = ;", "= \"v\";",
                             "\"k\" = \"\\u12\";", "\"k\\"}) {
    EXPECT_FALSE(parse(broken)) << broken;
  }
  EXPECT_FALSE(parseStringsFile({0xFF, 0xFE, '"', 0, 'k', 0}));
}
