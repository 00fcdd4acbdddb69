// The talvocb tool's arguments and the settings it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "Subprocess.h"
#include "TemporaryDevice.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

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

TEST(Cli, ConcurrentSetsOfDifferentKeysLoseNothing) {
  TemporaryDevice device;
  const std::vector<std::string> keys = {
      "TalvoCBEnabled",          "TalvoCBEnabledRoundedPictures", "TalvoCBEnabledMonogramPictures",
      "TalvoCBEnabledFavorites", "TalvoCBEnabledPhone",           "TalvoCBEnabledRecents",
      "TalvoCBEnabledContacts"};
  for (int trial = 0; trial < 3; ++trial) {
    ASSERT_EQ(runProgram({"talvocb", "--root", device.root(), "settings", "init"}).status, 0);
    // Every key is turned off by its own runs, all at once; none may undo another's change.
    std::vector<std::unique_ptr<RunningProgram>> runs;
    for (int round = 0; round < 3; ++round) {
      for (const std::string& key : keys) {
        runs.push_back(std::make_unique<RunningProgram>(std::vector<std::string>{
            "talvocb", "--root", device.root(), "settings", "set", key, "off"}));
      }
    }
    for (auto& run : runs) EXPECT_EQ(run->wait(), 0);
    ProcessResult show = runProgram({"talvocb", "--root", device.root(), "settings", "show"});
    EXPECT_EQ(show.out,
              "Talvo For CallBar Enabled: 0\nRound Pictures Enabled: 0\nMonogram Enabled: 0\n"
              "Talvo on Favorites: 0\nTalvo on Recents:0\nTalvo on Contacts:0.\n"
              "Talvo on Phone: 0\n")
        << "trial " << trial;
    auto settings = cast<NSDictionary>(readPropertyListFile(device.settingsFile()));
    ASSERT_TRUE(settings);
    EXPECT_FALSE(boolValue(settings->objectForKey("TalvoCBEnabledPhone")));
    std::filesystem::remove(device.settingsFile());
  }
}

TEST(Cli, AFullDiskLeavesTheSettingsFileAsItWas) {
  TemporaryDevice device;
  ASSERT_EQ(runProgram({"talvocb", "--root", device.root(), "settings", "init"}).status, 0);
  std::string before = device.readFile("/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist");
  // No byte may be written, and the signal of a file grown too large is ignored: every write
  // fails as on a full disk.
  ProcessResult full = runProgram({"/bin/sh", "-c", "trap '' XFSZ; ulimit -f 0; exec \"$0\" \"$@\"",
                                   binary("talvocb"), "--root", device.root(), "settings", "set",
                                   "TalvoCBEnabled", "off"});
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(lines(full.err), 1) << full.err;
  EXPECT_NE(full.err.find("cannot be written"), std::string::npos) << full.err;
  EXPECT_EQ(device.readFile("/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist"), before);
  // Nothing half-written is left beside it.
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::path(device.settingsFile()).parent_path())) {
    std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "com.quorvik.TalvoCB.plist" || name == "com.quorvik.TalvoCB.plist.lock")
        << name;
  }
}

// Without the shell's trap: the tool itself ignores the signal of a file grown past the limit, so
// the write fails, is reported, and leaves no temporary file.
TEST(Cli, AFileSizeLimitFailsTheWriteInsteadOfKillingTheTool) {
  TemporaryDevice device;
  ASSERT_EQ(runProgram({"talvocb", "--root", device.root(), "settings", "init"}).status, 0);
  std::string before = device.readFile("/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist");
  ProcessResult limited = runProgram(
      {"talvocb", "--root", device.root(), "settings", "set", "TalvoCBEnabled", "off"}, {"", 0});
  EXPECT_EQ(limited.status, 1) << limited.err;
  EXPECT_NE(limited.err.find("File too large"), std::string::npos) << limited.err;
  EXPECT_EQ(device.readFile("/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist"), before);
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::path(device.settingsFile()).parent_path())) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
  }
}

TEST(Cli, FailuresSayWhyAndChangeNothing) {
  TemporaryDevice device;
  struct Case {
    std::vector<std::string> argv;
    int status;
    std::string reason;
  };
  std::string missing = device.root() + "/nonexistent";
  for (const Case& c : std::vector<Case>{
           {{"talvocb", "--root", missing, "probe"}, 1, "no such device folder"},
           {{"talvocb", "--root", missing, "settings", "show"}, 1, "no such device folder"},
           {{"talvocb", "--root", device.root(), "picture", "--id", "1", "--size", "nan", "nan",
             "-o", device.root() + "/out.png"},
            2,
            "not in range"},
           {{"talvocb", "--root", device.root(), "monogram", "JS", "--size", "inf", "40", "-o",
             device.root() + "/out.png"},
            2,
            "not in range"},
           {{"talvocb", "--root", missing, "device", "init", "--width", "nan"}, 2, "not in range"},
       }) {
    ProcessResult result = runProgram(c.argv);
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_EQ(lines(result.err), 1) << result.err;
    EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
    EXPECT_TRUE(result.out.empty()) << result.out;
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_FALSE(std::filesystem::exists(device.root() + "/out.png"));
}

TEST(Cli, SettingsAndProfileThatCannotBeReadAreReportedWithTheirReason) {
  TemporaryDevice device;
  const std::string settings = "/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist";
  // Not a dictionary, and a folder: init fails, says why, and leaves the file as it was.
  device.writeFile(settings, "<plist><array><true/></array></plist>");
  ProcessResult notDictionary =
      runProgram({"talvocb", "--root", device.root(), "settings", "init"});
  EXPECT_EQ(notDictionary.status, 1);
  EXPECT_NE(notDictionary.err.find("is not a dictionary"), std::string::npos) << notDictionary.err;
  EXPECT_TRUE(notDictionary.out.empty());
  EXPECT_EQ(device.readFile(settings), "<plist><array><true/></array></plist>");

  std::filesystem::remove(device.settingsFile());
  std::filesystem::create_directory(device.settingsFile());
  ProcessResult folder = runProgram({"talvocb", "--root", device.root(), "settings", "init"});
  EXPECT_EQ(folder.status, 1);
  EXPECT_NE(folder.err.find("is a folder"), std::string::npos) << folder.err;
  ProcessResult setOnFolder =
      runProgram({"talvocb", "--root", device.root(), "settings", "set", "TalvoCBEnabled", "on"});
  EXPECT_EQ(setOnFolder.status, 1);
  EXPECT_NE(setOnFolder.err.find("is a folder"), std::string::npos) << setOnFolder.err;
  EXPECT_TRUE(std::filesystem::is_directory(device.settingsFile()));

  // A profile that is there but unreadable stops every command that enters the device.
  std::filesystem::remove(device.root() + "/DeviceProfile.plist");
  std::filesystem::create_directory(device.root() + "/DeviceProfile.plist");
  ProcessResult probe = runProgram({"talvocb", "--root", device.root(), "probe"});
  EXPECT_EQ(probe.status, 1);
  EXPECT_EQ(lines(probe.err), 1) << probe.err;
  EXPECT_NE(probe.err.find("DeviceProfile.plist: is a folder"), std::string::npos) << probe.err;
  EXPECT_TRUE(probe.out.empty());
}
