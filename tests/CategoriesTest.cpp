#include <gtest/gtest.h>

#include "NSObject+TalvoCB1.h"
#include "TemporaryDevice.h"
#include "UIDevice+TalvoCB.h"
#include "foundation/NSValueTypes.h"
#include "mobilegestalt/MobileGestalt.h"
#include "uikit/UIDevice.h"

TEST(CategoriesTest, ContactIDTagIsPerObject) {
  auto cell = make<NSObject>();
  auto other = make<NSObject>();
  EXPECT_EQ(TalvoCB_contactID(cell), 0);
  setTalvoCB_contactID(cell, 1234);
  setTalvoCB_contactID(other, -1);
  EXPECT_EQ(TalvoCB_contactID(cell), 1234);
  EXPECT_EQ(TalvoCB_contactID(other), -1);
  setTalvoCB_contactID(cell, 5);
  EXPECT_EQ(TalvoCB_contactID(cell), 5);
  setTalvoCB_contactID(nullptr, 5);
  EXPECT_EQ(TalvoCB_contactID(nullptr), 0);
}

TEST(CategoriesTest, DeviceIdentifiersComeFromMobileGestalt) {
  DeviceProfile profile;
  profile.serialNumber = "F2LXK0ABHG7F";
  profile.uniqueIdentifier = "0123456789abcdef0123456789abcdef01234567";
  TemporaryDevice device(profile);
  auto current = UIDevice::currentDevice();
  EXPECT_EQ(UDID(current), "0123456789abcdef0123456789abcdef01234567");
  EXPECT_EQ(serialNumber(current), "F2LXK0ABHG7F");
  EXPECT_EQ(MGCopyAnswer("ProductType"), nullptr);

  profile.serialNumber.clear();
  standin::setDeviceProfile(profile);
  EXPECT_EQ(serialNumber(current), std::nullopt);
  EXPECT_EQ(serialNumber(nullptr), std::nullopt);
}
