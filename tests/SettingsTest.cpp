// The settings file as the library reads it and as the start-up completes it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TALCBSettings.h"
#include "TalvoCBUtils+Settings.h"
#include "TemporaryDevice.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"
#include "foundation/PropertyListFile.h"

namespace {
const char* kSettings = "/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist";

void writeSettings(const TemporaryDevice& device, const std::shared_ptr<NSDictionary>& dict,
                   NSPropertyListFormat format) {
  auto bytes = dataWithPropertyList(dict, format);
  ASSERT_TRUE(bytes && writeRealFile(device.settingsFile(), *bytes, false));
}
}  // namespace

TEST(Settings, MissingOrUnreadableFileReadsEverythingOff) {
  TemporaryDevice device;
  auto settings = make<TALCBSettings>();
  EXPECT_FALSE(settings->isTalvoCBEnabled());
  EXPECT_FALSE(settings->isShowPicturesOnContacts());
  device.writeFile(kSettings, "<plist><dict><key>TalvoCBEnabled</key><true/>");  // truncated
  settings->loadSettings();
  EXPECT_FALSE(settings->isTalvoCBEnabled());
}

TEST(Settings, ValuesOfEveryTypeFollowTheValueRules) {
  TemporaryDevice device;
  auto dict = make<NSDictionary>();
  dict->setObject(NSString::stringWithUTF8String("  Yes"), "TalvoCBEnabled");
  dict->setObject(NSString::stringWithUTF8String("no"), "TalvoCBEnabledRoundedPictures");
  dict->setObject(NSNumber::numberWithLongLong(2), "TalvoCBEnabledMonogramPictures");
  dict->setObject(make<NSDate>(0), "TalvoCBEnabledFavorites");
  dict->setObject(make<NSArray>(std::vector<id>{NSNumber::numberWithBool(true)}),
                  "TalvoCBEnabledPhone");
  dict->setObject(make<NSData>(std::vector<uint8_t>{1}), "TalvoCBEnabledRecents");
  dict->setObject(make<NSDictionary>(), "TalvoCBEnabledContacts");
  writeSettings(device, dict, NSPropertyListBinaryFormat_v1_0);
  auto settings = make<TALCBSettings>();
  EXPECT_TRUE(settings->isTalvoCBEnabled());
  EXPECT_FALSE(settings->isRoundedPicsEnabled());
  EXPECT_TRUE(settings->isMonogramEnabled());
  EXPECT_FALSE(settings->isShowPicturesOnFavorites());
  EXPECT_FALSE(settings->isShowPicturesOnPhone());
  EXPECT_FALSE(settings->isShowPicturesOnRecents());
  EXPECT_FALSE(settings->isShowPicturesOnContacts());
}

TEST(Settings, DescriptionShowsSixSwitchesButNotThePhone) {
  TemporaryDevice device;
  auto settings = make<TALCBSettings>();
  settings->setIsShowPicturesOnPhone(true);
  settings->setIsShowPicturesOnContacts(true);
  EXPECT_EQ(settings->description(),
            "Talvo For CallBar Enabled: 0\nRound Pictures Enabled: 0\nMonogram Enabled: 0\n"
            "Talvo on Favorites: 0\nTalvo on Recents:0\nTalvo on Contacts:1.");
}

TEST(Settings, StartupCompletionAddsOnlyWhatIsMissing) {
  TemporaryDevice device;
  ASSERT_TRUE(TalvoCBSettingsFile::completeAtStartup());
  auto created = NSDictionary::dictionaryWithContentsOfFile(kSettings);
  ASSERT_TRUE(created);
  EXPECT_EQ(created->count(), 7u);

  auto dict = make<NSDictionary>();
  dict->setObject(NSNumber::numberWithBool(false), "TalvoCBEnabled");
  dict->setObject(NSString::stringWithUTF8String("odd"), "TalvoCBEnabledPhone");
  writeSettings(device, dict, NSPropertyListBinaryFormat_v1_0);
  ASSERT_TRUE(TalvoCBSettingsFile::completeAtStartup());
  auto completed = NSDictionary::dictionaryWithContentsOfFile(kSettings);
  ASSERT_TRUE(completed);
  EXPECT_EQ(completed->count(), 7u);
  EXPECT_EQ(stringValue(completed->objectForKey("TalvoCBEnabledPhone")), "odd");
  auto settings = make<TALCBSettings>();
  EXPECT_FALSE(settings->isTalvoCBEnabled());
  EXPECT_TRUE(settings->isRoundedPicsEnabled());
  EXPECT_TRUE(settings->isShowPicturesOnContacts());
}

TEST(Settings, AStartupThatWouldWriteTheSameBytesLeavesTheFileButABinaryOneIsRewritten) {
  TemporaryDevice device;
  ASSERT_TRUE(TalvoCBSettingsFile::completeAtStartup());
  auto inode = [&] {
    struct stat info {};
    return ::stat(device.settingsFile().c_str(), &info) == 0 ? info.st_ino : 0;
  };
  ino_t created = inode();
  unsigned long writes = PropertyListFile::writesSoFar();
  ASSERT_TRUE(TalvoCBSettingsFile::completeAtStartup());
  EXPECT_EQ(inode(), created);
  EXPECT_EQ(PropertyListFile::writesSoFar(), writes);

  // The same values in the pane's binary format are other bytes: written back as XML.
  writeSettings(device, NSDictionary::dictionaryWithContentsOfFile(kSettings),
                NSPropertyListBinaryFormat_v1_0);
  ASSERT_TRUE(TalvoCBSettingsFile::completeAtStartup());
  EXPECT_EQ(PropertyListFile::writesSoFar(), writes + 1);
  EXPECT_EQ(device.readFile(kSettings).rfind("<?xml", 0), 0u);
}

TEST(Settings, MonogramsNeedVersionSeven) {
  TemporaryDevice device;
  ASSERT_TRUE(TalvoCBSettingsFile::completeAtStartup());
  auto shared = TALCBSettings::sharedSettings();
  shared->loadSettings();
  DeviceProfile old = standin::deviceProfile();
  old.systemVersion = "6.1.3";
  standin::setDeviceProfile(old);
  EXPECT_TRUE(shared->isMonogramEnabled());
  EXPECT_FALSE(TalvoCBUtils::isMonogramEnabled());
  old.systemVersion = "7.0";
  standin::setDeviceProfile(old);
  EXPECT_TRUE(TalvoCBUtils::isMonogramEnabled());
  EXPECT_TRUE(TalvoCBUtils::isTalvoCBOnlyOn());
}

TEST(Settings, NotificationNamesFollowTheKeys) {
  EXPECT_EQ(TalvoCBSettingsFile::notificationForKey("TalvoCBEnabled"),
            "com.quorvik.TalvoCBEnabledNotification");
  EXPECT_EQ(TalvoCBSettingsFile::notificationForKey("TalvoCBEnabledRoundedPictures"),
            "com.quorvik.TalvoCBRoundedPicturesEnabledNotification");
  EXPECT_EQ(TalvoCBSettingsFile::notificationForKey("TalvoCBEnabledContacts"),
            "com.quorvik.TalvoCBContactsEnabledNotification");
}
