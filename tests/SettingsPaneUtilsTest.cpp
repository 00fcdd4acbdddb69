// The pane's own questions: whether the add-on is on by the file on disk, and the device model.
#include <gtest/gtest.h>

#include "TALCBSettings.h"
#include "TemporaryDevice.h"
#include "Utils/TalvoCBSettingsUtils.h"
#include "foundation/NSValueTypes.h"

namespace {
void writeEnabled(const id& value) {
  auto settings = make<NSDictionary>();
  settings->setObject(NSNumber::numberWithBool(true), "TalvoCBEnabledPhone");
  if (value) settings->setObject(value, "TalvoCBEnabled");
  ASSERT_TRUE(settings->writeToFile(TalvoCBSettingsFile::pathInHome(), true));
}
}  // namespace

TEST(SettingsPaneUtils, TheAddOnIsOnOnlyForATrueEntryReadFreshEachTime) {
  TemporaryDevice device;
  EXPECT_FALSE(TalvoCBSettingsUtils::isTalvoCBOn()) << "no file";
  writeEnabled(NSNumber::numberWithInt(1));
  EXPECT_TRUE(TalvoCBSettingsUtils::isTalvoCBOn()) << "1";
  writeEnabled(NSNumber::numberWithBool(false));
  EXPECT_FALSE(TalvoCBSettingsUtils::isTalvoCBOn()) << "false";
  writeEnabled(NSNumber::numberWithBool(true));
  EXPECT_TRUE(TalvoCBSettingsUtils::isTalvoCBOn()) << "true";
  writeEnabled(NSNumber::numberWithInt(0));
  EXPECT_FALSE(TalvoCBSettingsUtils::isTalvoCBOn()) << "0";
  writeEnabled(nullptr);
  EXPECT_FALSE(TalvoCBSettingsUtils::isTalvoCBOn()) << "no entry, other keys on";
}

TEST(SettingsPaneUtils, AnyIPadOrIPodIsNamedByItsFamilyOnly) {
  for (const char* machine : {"iPad4,1", "iPad6,8", "iPad2,5"}) {
    DeviceProfile profile;
    profile.machine = machine;
    TemporaryDevice device(profile);
    EXPECT_EQ(TalvoCBSettingsUtils::platform(), machine);
    EXPECT_EQ(TalvoCBSettingsUtils::platformString(), "iPad") << machine;
  }
  DeviceProfile pod;
  pod.machine = "iPod7,1";
  {
    TemporaryDevice device(pod);
    EXPECT_EQ(TalvoCBSettingsUtils::platformString(), "iPod");
  }
  TemporaryDevice phone;
  EXPECT_EQ(TalvoCBSettingsUtils::platformString(), "iPhone7,2");
}
