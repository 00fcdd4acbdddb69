// A device folder may come from someone else: no link, ".." or absolute path in it takes a read
// or a write outside it, whichever way the file is reached.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "SimDeviceCopy.h"
#include "Subprocess.h"
#include "TemporaryDevice.h"
#include "foundation/DeviceFiles.h"
#include "foundation/NSFileManager.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"
#include "foundation/PropertyListFile.h"

namespace fs = std::filesystem;

namespace {

const char* kSettings = "/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist";

// A folder beside the device holding one file whose bytes must never change or be read.
struct Outside {
  Outside() {
    char pattern[] = "/tmp/talvocb-outside-XXXXXX";
    folder = ::mkdtemp(pattern);
    std::ofstream(folder + "/secret") << "outside";
  }
  ~Outside() {
    std::error_code error;
    fs::remove_all(folder, error);
  }
  std::vector<std::string> names() const {
    std::vector<std::string> all;
    for (const auto& entry : fs::directory_iterator(folder)) all.push_back(entry.path().filename());
    return all;
  }
  std::string secret() const {
    std::ifstream in(folder + "/secret");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string folder;
};

TEST(DeviceConfinement, LinksAndDotsNeverLeadAReadOrAWriteOutOfTheDevice) {
  TemporaryDevice device;
  Outside outside;
  const std::string depth = "../../../../../../../../../..";
  fs::create_symlink(outside.folder + "/secret", device.real("/tmp/absolute.log"));
  fs::create_symlink(depth + outside.folder + "/secret", device.real("/tmp/climbing.log"));
  for (const char* path : {"/tmp/absolute.log", "/tmp/climbing.log"}) {
    EXPECT_EQ(NSData::dataWithContentsOfFile(path), nullptr) << path;
  }
  EXPECT_EQ(NSData::dataWithContentsOfFile("/../../../../../../../" + outside.folder + "/secret"),
            nullptr);

  // A planted folder link: the write lands inside the device, or nowhere.
  fs::remove_all(device.real("/var/mobile/Library/Preferences"));
  fs::create_directory_symlink(outside.folder, device.real("/var/mobile/Library/Preferences"));
  auto settings = make<NSDictionary>();
  settings->setObject(NSNumber::numberWithBool(true), "TalvoCBEnabled");
  settings->writeToFile(kSettings, true);
  PropertyListFile::update(kSettings, {{"TalvoCBEnabledPhone", NSNumber::numberWithBool(true)}},
                           NSPropertyListBinaryFormat_v1_0);
  NSFileManager::defaultManager().createDirectoryAtPath("/var/mobile/Library/Preferences/x",
                                                        nullptr);
  NSFileManager::defaultManager().removeItemAtPath("/var/mobile/Library/Preferences/secret",
                                                   nullptr);
  EXPECT_EQ(outside.names(), std::vector<std::string>{"secret"});
  EXPECT_EQ(outside.secret(), "outside");
  EXPECT_TRUE(fs::exists(outside.folder + "/secret"));
}

TEST(DeviceConfinement, AnAbsoluteLinkIsAPathOnTheDevice) {
  TemporaryDevice device;
  device.writeFile("/var/mobile/target.plist",
                   "<plist><dict><key>TalvoCBEnabled</key><true/></dict></plist>");
  fs::create_symlink("/var/mobile/target.plist", device.real("/tmp/link.plist"));
  fs::create_symlink("../../../../../../var/mobile/target.plist", device.real("/tmp/up.plist"));
  EXPECT_TRUE(NSDictionary::dictionaryWithContentsOfFile("/tmp/link.plist"));
  EXPECT_TRUE(NSDictionary::dictionaryWithContentsOfFile("/tmp/up.plist"));
}

// The tool reads and edits the book through a link to a book outside: it finds nobody there and
// changes nothing there, journals included.
TEST(DeviceConfinement, ADatabaseLinkedOutsideIsNeitherReadNorWritten) {
  TemporaryDevice device;
  ASSERT_EQ(runProgram({"talvocb", "--root", device.root(), "sample"}).status, 0);
  Outside outside;
  const std::string book = device.real("/var/mobile/Library/AddressBook/AddressBook.sqlitedb");
  fs::copy_file(book, outside.folder + "/AddressBook.sqlitedb");
  fs::remove(book);
  fs::create_symlink(outside.folder + "/AddressBook.sqlitedb", book);
  struct stat before {};
  ASSERT_EQ(::stat((outside.folder + "/AddressBook.sqlitedb").c_str(), &before), 0);

  auto found = runProgram({"talvocb", "--root", device.root(), "contact-id", "+1 (555) 010-0100"});
  EXPECT_NE(found.out, "1\n") << found.err;
  runProgram({"talvocb", "--root", device.root(), "addressbook", "set-name", "1", "Mallory"});

  struct stat after {};
  ASSERT_EQ(::stat((outside.folder + "/AddressBook.sqlitedb").c_str(), &after), 0);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(after.st_size, before.st_size);
  auto names = outside.names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"AddressBook.sqlitedb", "secret"}));
}

// The simulator's copy keeps links that stay in the device, made relative so that they lead to
// the copy's own files, and leaves out what climbs out, and pipes.
TEST(DeviceConfinement, TheSimulatorsCopyHasNoWayOut) {
  TemporaryDevice device;
  Outside outside;
  device.writeFile("/var/mobile/inside.txt", "inside");
  fs::create_symlink("/var/mobile/inside.txt", device.real("/tmp/absolute"));
  fs::create_symlink("../../../../../../../.." + outside.folder + "/secret",
                     device.real("/tmp/climbing"));
  ASSERT_EQ(::mkfifo(device.real("/tmp/pipe").c_str(), 0600), 0);
  const std::string copy = outside.folder + "/copy";

  auto result = simulator::copyDevice(device.root(), copy);
  ASSERT_TRUE(result.copied) << result.failure;
  EXPECT_EQ(result.leftOut,
            (std::vector<std::string>{"tmp/climbing: a link that leads out of the device",
                                      "tmp/pipe: neither a folder, a file nor a link"}));
  EXPECT_EQ(fs::read_symlink(copy + "/tmp/absolute"), "../var/mobile/inside.txt");
  std::ifstream in(copy + "/tmp/absolute");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "inside");
  EXPECT_EQ(fs::read_symlink(copy + "/var"), "private/var");
}

// A writer killed between its temporary file and the rename leaves that file; the next write
// under the lock removes it. A holder that never lets go makes writers give up, not wait.
TEST(DeviceConfinement, WritersClearWhatKilledWritersLeftAndGiveUpOnAHeldLock) {
  TemporaryDevice device;
  pid_t child = ::fork();
  if (child == 0) {
    std::ofstream(device.settingsFile() + ".tmp." + std::to_string(::getpid())) << "half";
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  const std::string leftover = device.settingsFile() + ".tmp." + std::to_string(child);
  ASSERT_TRUE(fs::exists(leftover));
  auto one = std::map<std::string, id>{{"TalvoCBEnabled", NSNumber::numberWithBool(true)}};
  EXPECT_TRUE(PropertyListFile::update(kSettings, one, NSPropertyListBinaryFormat_v1_0).ok());
  EXPECT_FALSE(fs::exists(leftover));

  // Another process takes the lock and keeps it.
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t holder = ::fork();
  if (holder == 0) {
    int fd = ::open((device.settingsFile() + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    ::flock(fd, LOCK_EX);
    (void)!::write(ready[1], "x", 1);
    ::pause();
    ::_exit(0);
  }
  char byte;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  PropertyListFile::Lock::setWaitLimit(std::chrono::milliseconds(300));
  auto start = std::chrono::steady_clock::now();
  auto result =
      PropertyListFile::update(kSettings, {{"TalvoCBEnabled", NSNumber::numberWithBool(false)}},
                               NSPropertyListBinaryFormat_v1_0);
  PropertyListFile::Lock::setWaitLimit(std::chrono::seconds(5));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(result.status, PropertyListFile::UpdateStatus::Failed);
  EXPECT_NE(result.reason.find("is held by another process"), std::string::npos) << result.reason;
  EXPECT_TRUE(boolValue(
      NSDictionary::dictionaryWithContentsOfFile(kSettings)->objectForKey("TalvoCBEnabled")));
  ::kill(holder, SIGKILL);
  ::waitpid(holder, &status, 0);
  ::close(ready[0]);
  ::close(ready[1]);
}

}  // namespace
