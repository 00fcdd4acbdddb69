// Probes of the system version, the screen and the device model.
#include <gtest/gtest.h>

#include "Subprocess.h"
#include "TALCBUIDeviceHardware.h"
#include "TalvoCBUtils+Probes.h"
#include "TemporaryDevice.h"

namespace {
DeviceProfile profile(const std::string& version, double scale, double width, double height) {
  DeviceProfile p;
  p.systemVersion = version;
  p.scale = scale;
  p.width = width;
  p.height = height;
  p.deriveFromScreen();
  return p;
}
}  // namespace

TEST(Probes, VersionTests) {
  TemporaryDevice device;
  struct Case {
    const char* version;
    bool seven, eight, nine;
  };
  for (Case c : {Case{"6.1.3", false, false, false}, Case{"7.0", true, false, false},
                 Case{"7.1.2", true, false, false}, Case{"8.4", true, true, false},
                 Case{"9.0.2", true, true, true}, Case{"10.0", true, true, true}}) {
    standin::setDeviceProfile(profile(c.version, 2, 375, 667));
    EXPECT_EQ(TalvoCBUtils::isIOS_7(), c.seven) << c.version;
    EXPECT_EQ(TalvoCBUtils::isIOS_8(), c.eight) << c.version;
    EXPECT_EQ(TalvoCBUtils::isIOS_9(), c.nine) << c.version;
  }
  standin::setDeviceProfile(profile("9.0.2", 2, 375, 667));
  EXPECT_TRUE(TalvoCBUtils::isMatchingIOSFound("9.0.2"));
  EXPECT_FALSE(TalvoCBUtils::isMatchingIOSFound("9.0"));
}

TEST(Probes, ScreenTests) {
  TemporaryDevice device;
  standin::setDeviceProfile(profile("9.0", 3, 414, 736));
  EXPECT_FALSE(TalvoCBUtils::isRetinaDisplay());
  EXPECT_FALSE(TalvoCBUtils::isIPhone4());
  EXPECT_TRUE(TalvoCBUtils::isIPhone6Plus());
  EXPECT_TRUE(TalvoCBUtils::isIPhone6OR6Plus());

  // The 6 Plus renders at 1080 x 1920 with a native scale of 2.608: still 736 points.
  DeviceProfile plus = profile("9.0", 3, 414, 736);
  plus.nativeWidth = 1080;
  plus.nativeHeight = 1920;
  plus.nativeScale = 1920.0 / 736.0;
  standin::setDeviceProfile(plus);
  EXPECT_TRUE(TalvoCBUtils::isIPhone6Plus());

  DeviceProfile pad = profile("9.0", 2, 768, 1024);
  pad.idiom = 1;
  pad.height = 667;
  standin::setDeviceProfile(pad);
  EXPECT_FALSE(TalvoCBUtils::isIPhone6());

  // Before version 8 the screen has no native bounds and stays portrait: landscape swaps.
  DeviceProfile seven = profile("7.1", 2, 320, 568);
  seven.statusBarOrientation = 3;
  standin::setDeviceProfile(seven);
  EXPECT_DOUBLE_EQ(TalvoCBUtils::screenWidth(), 568);
  EXPECT_DOUBLE_EQ(TalvoCBUtils::screenHeight(), 320);
  EXPECT_FALSE(TalvoCBUtils::isIPhone6());
  seven.systemVersion = "8.0";
  seven.deriveFromScreen();
  standin::setDeviceProfile(seven);
  EXPECT_DOUBLE_EQ(TalvoCBUtils::screenWidth(), 568);  // the bounds follow the orientation
}

TEST(Probes, ModelNamesAndImageCachePreparation) {
  EXPECT_EQ(TALCBUIDeviceHardware::platformString("iPhone1,2"), "iPhone 3G");
  EXPECT_EQ(TALCBUIDeviceHardware::platformString("iPhone2,1"), "iPhone 3GS");
  EXPECT_EQ(TALCBUIDeviceHardware::platformString("iPhone3,3"), "iPhone 4");
  EXPECT_EQ(TALCBUIDeviceHardware::platformString("iPod5,1"), "iPod");
  EXPECT_EQ(TALCBUIDeviceHardware::platformString("i386"), "Simulator");
  EXPECT_EQ(TALCBUIDeviceHardware::platformString("iPhone5,2"), "iPhone5,2");

  // The answer is kept for the life of a process, so each machine gets a process of its own.
  for (auto [machine, expected] : {std::pair{"iPhone2,1", "NO"},
                                   {"iPhone3,1", "YES"},
                                   {"iPhone5,2", "YES"},
                                   {"iPad2,1", "NO"},
                                   {"iPod5,1", "NO"}}) {
    TemporaryDevice device;
    ASSERT_EQ(
        runProgram({"talvocb", "--root", device.root(), "device", "init", "--machine", machine})
            .status,
        0);
    ProcessResult probe = runProgram({"talvocb", "--root", device.root(), "probe"});
    EXPECT_NE(probe.out.find(std::string("platform: ") + machine + "\n"), std::string::npos);
    EXPECT_NE(probe.out.find(std::string("canprepareImageCache: ") + expected + "\n"),
              std::string::npos)
        << machine;
  }
}

TEST(Probes, PhoneNumberText) {
  EXPECT_EQ(TalvoCBUtils::getPlainPhoneNumber(std::string("+1 (555) 010-0100")), "+15550100100");
  EXPECT_EQ(TalvoCBUtils::getPlainPhoneNumber(std::string("555.010 \xD9\xA1")), "555.010\xD9\xA1");
  EXPECT_EQ(TalvoCBUtils::getPlainPhoneNumber(std::nullopt), std::nullopt);
  EXPECT_EQ(TalvoCBUtils::getPhoneNumberFromURL(std::string("tel://5550100?call=1")), "5550100");
  EXPECT_EQ(TalvoCBUtils::getPhoneNumberFromURL(std::string("tel://5550100")), "tel://5550100");
  EXPECT_EQ(TalvoCBUtils::getPhoneNumberFromURL(std::string("5550100?x")), "5550100?x");
  EXPECT_EQ(TalvoCBUtils::getPhoneNumberFromURL(std::string("?tel://5550100")), "");
}
