// The talvocb tool's arguments and the settings it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "Subprocess.h"
#include "TemporaryDevice.h"

namespace {
int lines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}
}  // namespace

TEST(Cli, BadArgumentsGiveOneLineAndStatusTwo) {
  TemporaryDevice device;
  for (std::vector<std::string> argv :
       {std::vector<std::string>{"talvocb"},
        {"talvocb", "frobnicate"},
        {"talvocb", "--root", device.root(), "settings", "set", "TalvoCBBogus", "on"},
        {"talvocb", "--root", device.root(), "settings", "set", "TalvoCBEnabled", "maybe"},
        {"talvocb", "probe"},
        {"talvocb", "--root", device.root(), "device", "init", "--scale", "banana"}}) {
    ProcessResult result = runProgram(argv);
    EXPECT_EQ(result.status, 2) << argv.back();
    EXPECT_EQ(lines(result.err), 1) << result.err;
    EXPECT_TRUE(result.out.empty());
  }
  EXPECT_FALSE(std::filesystem::exists(device.settingsFile()));
}

TEST(Cli, SettingsSetKeepsOtherKeysAndRefusesAnUnreadableFile) {
  TemporaryDevice device;
  ASSERT_EQ(runProgram({"talvocb", "--root", device.root(), "settings", "set",
                        "TalvoCBEnabledRecents", "off"})
                .status,
            0);
  ASSERT_EQ(runProgram({"talvocb", "--root", device.root(), "settings", "init"}).status, 0);
  ProcessResult show = runProgram({"talvocb", "--root", device.root(), "settings", "show"});
  EXPECT_NE(show.out.find("Talvo on Recents:0\n"), std::string::npos) << show.out;
  EXPECT_NE(show.out.find("Talvo For CallBar Enabled: 1\n"), std::string::npos);

  device.writeFile("/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist", "garbage");
  ProcessResult refused =
      runProgram({"talvocb", "--root", device.root(), "settings", "set", "TalvoCBEnabled", "on"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("com.quorvik.TalvoCB.plist: is not a property list; left unchanged"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(device.readFile("/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist"),
            "garbage");
}
