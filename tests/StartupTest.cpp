// The module's start-up, tried in real, separate host processes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "Subprocess.h"
#include "TemporaryDevice.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

namespace {

const char* kSpringBoard = "com.apple.springboard";

std::vector<std::string> hostCommand(const TemporaryDevice& device,
                                     const std::optional<std::string>& bundle,
                                     std::vector<std::string> options = {}) {
  std::vector<std::string> argv = {"talvocb-host", "--root", device.root()};
  if (bundle) argv.insert(argv.end(), {"--bundle-id", *bundle});
  argv.insert(argv.end(), options.begin(), options.end());
  return argv;
}

// The "key: value" lines of the host's status report.
std::map<std::string, std::string> status(const TemporaryDevice& device,
                                          const std::optional<std::string>& bundle,
                                          std::vector<std::string> options = {}) {
  options.insert(options.end(), {"--do", "status"});
  ProcessResult result = runProgram(hostCommand(device, bundle, options));
  EXPECT_EQ(result.status, 0) << result.err;
  std::map<std::string, std::string> lines;
  std::istringstream out(result.out);
  for (std::string line; std::getline(out, line);) {
    auto colon = line.rfind(": ");
    if (colon != std::string::npos) lines[line.substr(0, colon)] = line.substr(colon + 2);
  }
  return lines;
}

std::shared_ptr<NSDictionary> settingsOf(const TemporaryDevice& device) {
  return cast<NSDictionary>(readPropertyListFile(device.settingsFile()));
}

DeviceProfile version(const std::string& systemVersion) {
  DeviceProfile profile;
  profile.systemVersion = systemVersion;
  profile.deriveFromScreen();
  return profile;
}

}  // namespace

TEST(Startup, ProcessWithoutIdentifierGetsNothing) {
  TemporaryDevice device;
  auto report = status(device, std::nullopt);
  EXPECT_EQ(report["bundle"], "(none)");
  EXPECT_EQ(report["hook -[CallBarControllerModern setCurrentCall:]"], "original");
  EXPECT_EQ(report["added -[CallBarControllerModern talvoCBSettingsChanged:]"], "no");
  EXPECT_EQ(report["observers"], "0");
  EXPECT_EQ(report["stderr"], "untouched");
  EXPECT_FALSE(std::filesystem::exists(device.settingsFile()));
  EXPECT_FALSE(std::filesystem::exists(device.real("/tmp/quorvik.log")));
}

TEST(Startup, OtherHostIsHookedButWritesNothing) {
  TemporaryDevice device;
  auto report = status(device, std::string("com.apple.MobileAddressBook"));
  EXPECT_EQ(report["hook -[CallBarControllerModern setCurrentCall:]"], "replaced");
  EXPECT_EQ(report["hook -[CallBarTableViewTransparentCell layoutSubviews]"], "replaced");
  EXPECT_EQ(report["added -[CallBarTableViewTransparentCell initialize]"], "yes");
  EXPECT_EQ(report["observers"], "8");
  EXPECT_EQ(report["stderr"], "untouched");
  EXPECT_FALSE(std::filesystem::exists(device.settingsFile()));
  EXPECT_FALSE(std::filesystem::exists(device.real("/tmp/quorvik.log")));
}

TEST(Startup, SpringBoardCreatesSettingsAndOwnerOnlyLog) {
  TemporaryDevice device;
  auto report = status(device, std::string(kSpringBoard));
  EXPECT_EQ(report["stderr"], "redirected");
  EXPECT_EQ(report["observers"], "8");

  auto settings = settingsOf(device);
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->count(), 7u);
  for (const auto& [key, value] : settings->entries) {
    auto number = cast<NSNumber>(value);
    ASSERT_TRUE(number && number->isBool()) << key;
    EXPECT_TRUE(number->boolValue()) << key;
  }
  struct stat info {};
  ASSERT_EQ(::stat(device.real("/tmp/quorvik.log").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(Startup, ViewServiceCompletesSettingsAndKeepsOtherEntries) {
  TemporaryDevice device;
  auto existing = make<NSDictionary>();
  existing->setObject(NSNumber::numberWithBool(false), "TalvoCBEnabled");
  existing->setObject(NSString::stringWithUTF8String("kept"), "SomethingElse");
  auto bytes = dataWithPropertyList(existing, NSPropertyListBinaryFormat_v1_0);
  ASSERT_TRUE(bytes && writeRealFile(device.settingsFile(), *bytes, false));

  status(device, std::string("net.dravell.callbarviewservice"));
  auto settings = settingsOf(device);
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->count(), 8u);
  EXPECT_FALSE(boolValue(settings->objectForKey("TalvoCBEnabled")));
  EXPECT_TRUE(boolValue(settings->objectForKey("TalvoCBEnabledContacts")));
  EXPECT_TRUE(boolValue(settings->objectForKey("TalvoCBEnabledRoundedPictures")));
  EXPECT_EQ(stringValue(settings->objectForKey("SomethingElse")), "kept");

  ProcessResult show = runProgram({"talvocb", "--root", device.root(), "settings", "show"});
  EXPECT_EQ(show.out,
            "Talvo For CallBar Enabled: 0\nRound Pictures Enabled: 1\nMonogram Enabled: 1\n"
            "Talvo on Favorites: 1\nTalvo on Recents:1\nTalvo on Contacts:1.\n"
            "Talvo on Phone: 1\n");
}

TEST(Startup, UnreadableSettingsFileIsLeftAsItIs) {
  TemporaryDevice device;
  std::string deep = "<plist>";
  for (int i = 0; i < 50000; ++i) deep += "<dict><key>k</key>";
  deep += "<true/>";
  for (int i = 0; i < 50000; ++i) deep += "</dict>";
  deep += "</plist>";
  using namespace std::string_literals;
  for (const std::string& contents :
       {"not a property list"s, "<?xml version=\"1.0\"?><plist><dict>"s,
        "<plist><array><true/></array></plist>"s, deep,
        "<plist><dict><key>TalvoCB\0Enabled</key><true/></dict></plist>"s}) {
    device.writeFile("/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist", contents);
    status(device, std::string(kSpringBoard));
    EXPECT_EQ(device.readFile("/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist"),
              contents);
  }
  std::filesystem::remove(device.settingsFile());
  std::filesystem::create_directory(device.settingsFile());
  auto report = status(device, std::string(kSpringBoard));
  EXPECT_EQ(report["observers"], "8");
  EXPECT_TRUE(std::filesystem::is_directory(device.settingsFile()));
}

TEST(Startup, PlantedLinkOrFifoAtTheLogFileIsNotUsed) {
  TemporaryDevice device;
  std::string target = device.real("/private/var/mobile/secret");
  device.writeFile("/private/var/mobile/secret", "precious\n");
  std::filesystem::create_symlink(target, device.real("/tmp/quorvik.log"));
  auto report = status(device, std::string(kSpringBoard));
  EXPECT_EQ(report["stderr"], "untouched");
  EXPECT_EQ(device.readFile("/private/var/mobile/secret"), "precious\n");
  EXPECT_EQ(report["observers"], "8");

  // A pipe nobody reads would block the host's first log line forever.
  std::filesystem::remove(device.real("/tmp/quorvik.log"));
  ASSERT_EQ(::mkfifo(device.real("/tmp/quorvik.log").c_str(), 0600), 0);
  report = status(device, std::string(kSpringBoard));
  EXPECT_EQ(report["stderr"], "untouched");
  EXPECT_EQ(report["observers"], "8");
}

TEST(Startup, VersionChoosesTheMonogrammerRows) {
  TemporaryDevice nine(version("9.0.2"));
  auto on9 = status(nine, std::string(kSpringBoard));
  EXPECT_EQ(on9["hook -[CNMonogrammer monogramForContact:isContactImage:]"], "replaced");
  EXPECT_EQ(on9["hook -[CNContactListTableViewCell layoutSubviews]"], "replaced");
  EXPECT_EQ(on9["hook -[ABMonogrammer monogramForPerson:isPersonImage:]"], "original");
  EXPECT_EQ(on9["hook -[ABMemberCell layoutSubviews]"], "replaced");

  // On 8 the Contacts classes exist here only because the host is told to have them.
  TemporaryDevice eight(version("8.4"));
  auto on8 = status(eight, std::string(kSpringBoard), {"--contacts-framework", "yes"});
  EXPECT_EQ(on8["hook -[CNMonogrammer monogramForContact:isContactImage:]"], "original");
  EXPECT_EQ(on8["hook -[CNContactListViewController tableView:cellForRowAtIndexPath:]"],
            "original");
  EXPECT_EQ(on8["hook -[ABMonogrammer monogramForPerson:isPersonImage:]"], "replaced");
  EXPECT_EQ(on8["hook -[ABMembersFilteredDataSource tableView:cellForRowAtIndexPath:]"],
            "replaced");
}

TEST(Startup, WithoutCallBarTheOtherRowsStillWork) {
  TemporaryDevice device;
  auto report = status(device, std::string(kSpringBoard), {"--callbar", "no"});
  EXPECT_EQ(report.count("hook -[CallBarControllerModern setCurrentCall:]"), 0u);
  EXPECT_EQ(report["hook -[CNMonogrammer _copyMonogramWithInitials:]"], "replaced");
  EXPECT_EQ(report["hook -[ABMembersDataSource tableView:cellForRowAtIndexPath:]"], "replaced");
  EXPECT_EQ(report["observers"], "8");
}

TEST(Startup, DarwinNotificationsCrossProcesses) {
  TemporaryDevice device;
  // An observer in one host process, a post from another.
  RunningProgram listener(hostCommand(device, std::string("com.example.listener"),
                                      {"--do", "observe com.example.ping", "--do", "ready", "--do",
                                       "wait com.example.ping 10000"}));
  ASSERT_TRUE(listener.waitForLine("ready", std::chrono::seconds(10)));
  ProcessResult poster =
      runProgram(hostCommand(device, std::nullopt, {"--do", "post com.example.ping"}));
  EXPECT_EQ(poster.status, 0);
  EXPECT_EQ(listener.readLine(std::chrono::seconds(10)), "received com.example.ping");
  EXPECT_EQ(listener.wait(), 0);

  // A switch changed with the tool reaches the module's handler in SpringBoard, whose log lines
  // go to the log file.
  RunningProgram springBoard(
      hostCommand(device, std::string(kSpringBoard),
                  {"--do", "observe com.quorvik.TalvoCBPhoneEnabledNotification", "--do", "ready",
                   "--do", "wait com.quorvik.TalvoCBPhoneEnabledNotification 10000"}));
  ASSERT_TRUE(springBoard.waitForLine("ready", std::chrono::seconds(10)));
  ProcessResult set = runProgram(
      {"talvocb", "--root", device.root(), "settings", "set", "TalvoCBEnabledPhone", "off"});
  EXPECT_EQ(set.status, 0) << set.err;
  EXPECT_EQ(springBoard.readLine(std::chrono::seconds(10)),
            "received com.quorvik.TalvoCBPhoneEnabledNotification");
  EXPECT_EQ(springBoard.wait(), 0);
  EXPECT_NE(device.readFile("/tmp/quorvik.log").find("com.quorvik.TalvoCBPhoneEnabledNotification"),
            std::string::npos);
}

TEST(Startup, CompleteFileIsRewrittenAndTheLinesSaySo) {
  TemporaryDevice device;
  // The first start creates the file and says nothing of an old one.
  status(device, std::string(kSpringBoard));
  std::string firstLog = device.readFile("/tmp/quorvik.log");
  EXPECT_EQ(firstLog.find("Settings file exists"), std::string::npos);

  // A complete file in the pane's binary format is read, and written back whole as XML.
  auto complete = settingsOf(device);
  ASSERT_TRUE(complete);
  complete->setObject(NSNumber::numberWithBool(false), "TalvoCBEnabledRecents");
  auto bytes = dataWithPropertyList(complete, NSPropertyListBinaryFormat_v1_0);
  ASSERT_TRUE(bytes && writeRealFile(device.settingsFile(), *bytes, false));
  status(device, std::string(kSpringBoard));
  std::string log = device.readFile("/tmp/quorvik.log").substr(firstLog.size());
  EXPECT_NE(log.find("] com.quorvik.TalvoCB => Info: Settings file exists, checking version..\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("] com.quorvik.TalvoCB => Info: Old settings file found, updating it with "
                     "latest one. [settings count] => 7\n"),
            std::string::npos)
      << log;
  std::string rewritten =
      device.readFile("/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist");
  EXPECT_EQ(rewritten.rfind("<?xml", 0), 0u);
  auto settings = settingsOf(device);
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->count(), 7u);
  EXPECT_FALSE(boolValue(settings->objectForKey("TalvoCBEnabledRecents")));
}

TEST(Startup, HostMethodOfAnotherTypeIsLoggedAndSkipped) {
  TemporaryDevice device;
  ProcessResult result = runProgram(
      hostCommand(device, std::string(kSpringBoard),
                  {"--mistyped", "CallBarControllerModern setCurrentCall:", "--do", "status"}));
  ASSERT_EQ(result.status, 0) << result.err;
  // The other rows of the same family and of the others still go in.
  EXPECT_NE(result.out.find("hook -[CallBarControllerModern dismissRootView]: replaced"),
            std::string::npos);
  EXPECT_NE(result.out.find("hook -[ABMemberCell layoutSubviews]: replaced"), std::string::npos);
  EXPECT_NE(result.out.find("observers: 8"), std::string::npos);

  std::string log = device.readFile("/tmp/quorvik.log");
  std::size_t first = log.find("Cannot hook -[CallBarControllerModern setCurrentCall:]");
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_EQ(log.find("Cannot hook", first + 1), std::string::npos);
  EXPECT_NE(log.rfind("com.quorvik.TalvoCB => Error: ", first), std::string::npos);
}

// A log past 8 MiB is moved aside by the process that starts and finds it so, under a lock on the
// log: of SpringBoards starting together one moves it, the others write to the new file.
TEST(Startup, ALogPastItsSizeIsMovedAsideOnceAtStartUp) {
  TemporaryDevice device;
  std::string log = device.real("/tmp/quorvik.log");
  device.writeFile("/tmp/quorvik.log", "oldest line\n");
  ASSERT_EQ(::chmod(log.c_str(), 0600), 0);
  std::filesystem::resize_file(log, 9u << 20);
  std::vector<std::unique_ptr<RunningProgram>> hosts;
  for (int i = 0; i < 4; ++i) {
    hosts.push_back(std::make_unique<RunningProgram>(
        hostCommand(device, std::string(kSpringBoard), {"--do", "ready"})));
  }
  for (auto& host : hosts) EXPECT_EQ(host->wait(), 0);
  std::string previous = device.real("/tmp/quorvik.log.1");
  ASSERT_TRUE(std::filesystem::exists(previous));
  EXPECT_EQ(std::filesystem::file_size(previous), 9u << 20);
  EXPECT_EQ(device.readFile("/tmp/quorvik.log.1").substr(0, 12), "oldest line\n");
  EXPECT_LT(std::filesystem::file_size(log), 1u << 20);
}

// SpringBoard's log at the file-size limit: its lines fail to be written, the process runs on.
TEST(Startup, ALogAtTheFileSizeLimitDoesNotKillSpringBoard) {
  TemporaryDevice device;
  device.writeFile("/tmp/quorvik.log", std::string(4096, '-') + "\n");
  ASSERT_EQ(::chmod(device.real("/tmp/quorvik.log").c_str(), 0600), 0);
  ProcessResult result =
      runProgram(hostCommand(device, std::string(kSpringBoard),
                             {"--do", "call 5551234", "--do", "wait-idle", "--do", "status"}),
                 {"", 4097});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("observers: 8"), std::string::npos) << result.out;
  EXPECT_EQ(std::filesystem::file_size(device.real("/tmp/quorvik.log")), 4097u);
}
