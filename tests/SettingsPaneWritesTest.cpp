// How the pane writes the settings file, in real Settings host processes: once per switch, only
// its key, never over an unreadable file, with the line support reads when a write fails, and
// without undoing what other writers change at the same time.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "SampleDevice.h"
#include "Subprocess.h"
#include "TALCBSettings.h"
#include "TemporaryDevice.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

namespace {

constexpr const char* kPaneResource =
    "/System/Library/PreferenceBundles/TalvoCBSettings.bundle/TalvoCB.plist";

struct WritingPane {
  WritingPane() {
    sample::SampleOptions options;
    std::string error;
    EXPECT_TRUE(sample::writeSampleDevice(device.root(), options, nullptr, &error)) << error;
  }
  void writeSettings(const std::map<std::string, bool>& switches) {
    auto settings = make<NSDictionary>();
    for (const auto& [key, on] : switches) settings->setObject(NSNumber::numberWithBool(on), key);
    ASSERT_TRUE(settings->writeToFile(TalvoCBSettingsFile::pathInHome(), true));
  }
  void writeAllSwitches(bool on) {
    std::map<std::string, bool> all;
    for (const char* key : TalvoCBSettingsFile::kKeys) all[key] = on;
    writeSettings(all);
  }
  std::shared_ptr<NSDictionary> settings() const {
    return NSDictionary::dictionaryWithContentsOfFile(TalvoCBSettingsFile::pathInHome());
  }
  std::vector<std::string> hostArguments(const std::vector<std::string>& actions) const {
    std::vector<std::string> argv = {binary("talvocb-host"), "--root", device.root(), "--bundle-id",
                                     "com.apple.Preferences"};
    for (const auto& a : actions) argv.insert(argv.end(), {"--do", a});
    return argv;
  }
  ProcessResult settingsApp(const std::vector<std::string>& actions) {
    auto result = runProgram(hostArguments(actions));
    EXPECT_EQ(result.status, 0) << result.err;
    return result;
  }
  TemporaryDevice device;
};

// Counts the times a file is written in place or put in place by a rename, by watching its folder.
class FileWrites {
 public:
  explicit FileWrites(const std::string& realPath)
      : name_(std::filesystem::path(realPath).filename()) {
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    EXPECT_GE(fd_, 0);
    std::string folder = std::filesystem::path(realPath).parent_path();
    EXPECT_GE(::inotify_add_watch(fd_, folder.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE), 0);
  }
  ~FileWrites() { ::close(fd_); }
  int count() {
    alignas(inotify_event) char buffer[8192];
    for (;;) {
      ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n <= 0) return count_;
      for (char* at = buffer; at < buffer + n;) {
        auto* event = reinterpret_cast<inotify_event*>(at);
        if (event->len > 0 && name_ == event->name) ++count_;
        at += sizeof(inotify_event) + event->len;
      }
    }
  }

 private:
  std::string name_;
  int fd_ = -1;
  int count_ = 0;
};

}  // namespace

TEST(SettingsPaneWrites, EachSwitchWritesTheFileExactlyOnce) {
  WritingPane phone;
  phone.writeAllSwitches(true);
  FileWrites writes(phone.device.settingsFile());
  phone.settingsApp({"pane"});
  EXPECT_EQ(writes.count(), 0) << "opening the pane writes nothing";
  phone.settingsApp({"pane", "switch TalvoCBEnabledRoundedPictures off"});
  EXPECT_EQ(writes.count(), 1);
  phone.settingsApp({"switch TalvoCBEnabledMonogramPictures off", "switch TalvoCBEnabledPhone off",
                     "switch TalvoCBEnabled off"});
  EXPECT_EQ(writes.count(), 4);
  auto settings = phone.settings();
  ASSERT_TRUE(settings);
  for (const char* key : {"TalvoCBEnabledRoundedPictures", "TalvoCBEnabledMonogramPictures",
                          "TalvoCBEnabledPhone", "TalvoCBEnabled"}) {
    EXPECT_FALSE(boolValue(settings->objectForKey(key))) << key;
  }
  EXPECT_TRUE(boolValue(settings->objectForKey("TalvoCBEnabledRecents")));
}

TEST(SettingsPaneWrites, AnUnreadableFileIsLeftAsItIsAndThePageSaysSo) {
  WritingPane phone;
  const std::string garbage = "<plist><dict><key>TalvoCBEnabled</key><true/>";
  phone.device.writeFile("/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist", garbage);
  // The switch fails with the reason and what the page said: nothing was saved.
  auto result = runProgram(phone.hostArguments({"pane", "switch TalvoCBEnabled on"}));
  EXPECT_EQ(phone.device.readFile("/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist"),
            garbage);
  EXPECT_NE(result.status, 0);
  EXPECT_NE(result.err.find("TalvoCBEnabled was not saved: "), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("the page says \"Settings Not Saved\": \"The settings file cannot be "
                            "read, so it was left as it is.\""),
            std::string::npos)
      << result.err;
}

// The base class gets the value the page stored: inverted for a negated row. Here the row keeps
// its defaults in a domain of its own, so that the two stores can be told apart.
TEST(SettingsPaneWrites, ANegatedRowHandsTheInvertedValueToTheBaseClass) {
  WritingPane phone;
  phone.writeAllSwitches(true);
  auto resource = cast<NSDictionary>(readPropertyListFile(phone.device.real(kPaneResource)));
  ASSERT_TRUE(resource);
  for (const id& item : cast<NSArray>(resource->objectForKey("items"))->items) {
    auto row = cast<NSDictionary>(item);
    if (stringValue(row->objectForKey("key")) == "TalvoCBEnabledRoundedPictures") {
      row->setObject(NSNumber::numberWithBool(true), "negate");
      row->setObject(make<NSString>("com.example.base"), "defaults");
    }
  }
  ASSERT_TRUE(resource->writeToFile(kPaneResource, true));
  // This row's action synchronizes the defaults.
  phone.settingsApp({"switch TalvoCBEnabledRoundedPictures off"});
  auto base = NSDictionary::dictionaryWithContentsOfFile(
      "/var/mobile/Library/Preferences/com.example.base.plist");
  ASSERT_TRUE(base);
  auto stored = cast<NSNumber>(base->objectForKey("TalvoCBEnabledRoundedPictures"));
  ASSERT_TRUE(stored);
  EXPECT_TRUE(stored->boolValue()) << "off on a negated row is true";
  EXPECT_TRUE(boolValue(phone.settings()->objectForKey("TalvoCBEnabledRoundedPictures")));
}

TEST(SettingsPaneWrites, AFailedWriteIsLoggedFailsTheSwitchAndIsNotAnnounced) {
  WritingPane phone;
  phone.writeSettings({{"TalvoCBEnabled", true}, {"TalvoCBEnabledPhone", true}});
  std::string before =
      phone.device.readFile("/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist");
  // No file may grow in this host: every write of a file fails, as on a full disk.
  std::vector<std::string> argv = {"/bin/sh", "-c",
                                   "ulimit -f 0; trap '' XFSZ; exec \"$0\" \"$@\""};
  for (const auto& word : phone.hostArguments({"switch TalvoCBEnabledPhone off"})) {
    argv.push_back(word);
  }
  ProcessResult result = runProgram(argv);
  EXPECT_NE(result.status, 0) << result.err;
  EXPECT_NE(result.err.find("TalvoCBEnabledPhone was not saved: "), std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("TalvoCBEnabledPhone was not stored, so not announced"),
            std::string::npos)
      << result.err;
  std::string expected =
      "com.quorvik.TalvoCB: Error => Unable to save settings to " +
      TalvoCBSettingsFile::pathInHome() +
      " and settings: {\n    TalvoCBEnabled = 1;\n    TalvoCBEnabledPhone = 0;\n}\n";
  EXPECT_NE(result.err.find(expected), std::string::npos) << result.err;
  EXPECT_EQ(phone.device.readFile("/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist"),
            before);
}

// The pane flipping its switches while several runs of the tool set other keys: every change
// each writer made is still there when it looks again, and at the end.
TEST(SettingsPaneWrites, ThePaneAndTheToolWritingTogetherLoseNoChange) {
  WritingPane phone;
  phone.writeAllSwitches(true);
  constexpr int kPaneRounds = 40, kToolRounds = 12;
  const std::vector<std::string> paneKeys = {"TalvoCBEnabledRoundedPictures",
                                             "TalvoCBEnabledMonogramPictures"};
  const std::vector<std::string> toolKeys = {"TalvoCBEnabledFavorites", "TalvoCBEnabledPhone",
                                             "TalvoCBEnabledRecents", "TalvoCBEnabledContacts"};
  std::vector<std::string> actions = {"pane"};
  for (int round = 0; round < kPaneRounds; ++round) {
    for (const auto& key : paneKeys) {
      actions.push_back("switch " + key + (round % 2 == 0 ? " off" : " on"));
    }
  }
  std::atomic<int> lost{0}, failed{0};
  std::vector<std::thread> tools;
  for (const auto& key : toolKeys) {
    tools.emplace_back([&, key] {
      // Only this thread writes its key: the file holds what it wrote last, before and after
      // each of its runs.
      auto holds = [&](bool expected) {
        auto now = cast<NSDictionary>(readPropertyListFile(phone.device.settingsFile()));
        if (!now || boolValue(now->objectForKey(key)) != expected) ++lost;
      };
      bool last = true;
      for (int round = 0; round < kToolRounds; ++round) {
        bool on = round % 2 == 1;
        holds(last);
        auto run = runProgram(
            {"talvocb", "--root", phone.device.root(), "settings", "set", key, on ? "on" : "off"});
        if (run.status != 0) ++failed;
        holds(on);
        last = on;
      }
    });
  }
  ProcessResult pane = runProgram(phone.hostArguments(actions));
  for (auto& tool : tools) tool.join();
  EXPECT_EQ(pane.status, 0) << pane.err;
  EXPECT_EQ(failed.load(), 0);
  EXPECT_EQ(lost.load(), 0) << "changes of the tool undone by the pane";
  auto settings = phone.settings();
  ASSERT_TRUE(settings);
  bool paneLast = (kPaneRounds - 1) % 2 == 1;
  bool toolLast = (kToolRounds - 1) % 2 == 1;
  for (const auto& key : paneKeys)
    EXPECT_EQ(boolValue(settings->objectForKey(key)), paneLast) << key;
  for (const auto& key : toolKeys)
    EXPECT_EQ(boolValue(settings->objectForKey(key)), toolLast) << key;
}
