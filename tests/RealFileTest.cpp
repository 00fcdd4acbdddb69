// Reading and writing the stand-in's files: what is refused, why, and what a write keeps.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "TemporaryDevice.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

namespace {

const char* kSettings = "/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist";

std::string reasonFor(const std::string& devicePath) {
  std::string reason;
  EXPECT_EQ(NSDictionary::dictionaryWithContentsOfFile(devicePath, &reason), nullptr);
  return reason;
}

std::shared_ptr<NSDictionary> oneKey(bool value) {
  auto dict = make<NSDictionary>();
  dict->setObject(NSNumber::numberWithBool(value), "TalvoCBEnabled");
  return dict;
}

// Runs `read` on a thread and gives up after a few seconds, so that a read that waits on a FIFO
// fails the test instead of hanging it. A writer opened on the FIFO then lets the read go.
template <class Read>
bool finishesPromptly(const std::string& fifo, Read read) {
  std::packaged_task<void()> task(read);
  auto done = task.get_future();
  std::thread thread(std::move(task));
  bool prompt = done.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  if (!prompt) ::close(::open(fifo.c_str(), O_WRONLY));
  thread.join();
  return prompt;
}

}  // namespace

TEST(RealFile, ReadsSayWhyTheyFail) {
  TemporaryDevice device;
  EXPECT_EQ(reasonFor(kSettings), "does not exist");
  device.writeFile(kSettings, "garbage");
  EXPECT_EQ(reasonFor(kSettings), "is not a property list");
  device.writeFile(kSettings, "<plist><array><true/></array></plist>");
  EXPECT_EQ(reasonFor(kSettings), "is not a dictionary");
  EXPECT_EQ(reasonFor(std::string(kSettings) + "/below"), "cannot be read: Not a directory");
  std::filesystem::remove(device.settingsFile());
  std::filesystem::create_directory(device.settingsFile());
  EXPECT_EQ(reasonFor(kSettings), "is a folder");
}

TEST(RealFile, AFifoIsRefusedAtOnce) {
  TemporaryDevice device;
  ASSERT_EQ(::mkfifo(device.settingsFile().c_str(), 0644), 0);
  std::string reason;
  EXPECT_TRUE(finishesPromptly(device.settingsFile(), [&] {
    EXPECT_EQ(NSDictionary::dictionaryWithContentsOfFile(kSettings, &reason), nullptr);
  }));
  EXPECT_EQ(reason, "is not a regular file");
  // Nor does a write in place wait for a reader.
  EXPECT_TRUE(finishesPromptly(device.settingsFile(), [&] {
    EXPECT_FALSE(writeRealFile(device.settingsFile(), {'x'}, false));
  }));

  const std::string profile = standin::profilePath(device.root());
  std::filesystem::remove(profile);
  ASSERT_EQ(::mkfifo(profile.c_str(), 0644), 0);
  EXPECT_TRUE(
      finishesPromptly(profile, [&] { EXPECT_FALSE(standin::readProfile(device.root())); }));
}

TEST(RealFile, PropertyListsAreReadUpTo4MiB) {
  TemporaryDevice device;
  const std::size_t limit = std::size_t{4} << 20;
  // Exactly at the limit: a settings file padded with blanks.
  std::string text = "<plist><dict><key>TalvoCBEnabled</key><true/></dict></plist>";
  text.resize(limit, '\n');
  device.writeFile(kSettings, text);
  EXPECT_TRUE(NSDictionary::dictionaryWithContentsOfFile(kSettings));

  // A sparse file far larger is refused before it is read.
  int fd = ::open(device.settingsFile().c_str(), O_WRONLY | O_TRUNC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, off_t{3} << 30), 0);
  ::close(fd);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(reasonFor(kSettings), "is larger than 4 MiB");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  // Other files have no such limit.
  fd = ::open(device.settingsFile().c_str(), O_WRONLY | O_TRUNC);
  ASSERT_EQ(::ftruncate(fd, off_t(limit + 1)), 0);
  ::close(fd);
  EXPECT_EQ(readRealFile(device.settingsFile())->size(), limit + 1);
}

TEST(RealFile, AnAtomicWriteKeepsTheFilesModeAndOwner) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs to give a file to another user";
  TemporaryDevice device;
  const std::string real = device.settingsFile();
  ASSERT_TRUE(oneKey(true)->writeToFile(kSettings, true));
  ASSERT_EQ(::chown(real.c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chmod(real.c_str(), 0600), 0);

  ASSERT_TRUE(oneKey(false)->writeToFile(kSettings, true));
  struct stat info {};
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(info.st_uid, 65534u);
  EXPECT_EQ(info.st_gid, 65534u);
  EXPECT_FALSE(boolValue(
      NSDictionary::dictionaryWithContentsOfFile(kSettings)->objectForKey("TalvoCBEnabled")));

  // A new file is 0644 as before.
  mode_t mask = ::umask(022);
  ASSERT_TRUE(oneKey(true)->writeToFile("/var/mobile/Library/Preferences/new.plist", true));
  ::umask(mask);
  ASSERT_EQ(::stat(device.real("/var/mobile/Library/Preferences/new.plist").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  EXPECT_EQ(info.st_uid, 0u);
}

TEST(RealFile, AWriteDoesNotReplaceOrFollowASymbolicLink) {
  TemporaryDevice device;
  const std::string real = device.settingsFile();
  device.writeFile("/var/mobile/elsewhere.plist", "target");
  // An absolute link on the device means a path on the device, as on the phone.
  std::filesystem::create_symlink("/var/mobile/elsewhere.plist", real);

  std::string reason;
  EXPECT_FALSE(oneKey(true)->writeToFile(kSettings, true, &reason));
  EXPECT_EQ(reason, "is a symbolic link");
  reason.clear();
  EXPECT_FALSE(writeRealFile(real, {'x'}, false, &reason));
  EXPECT_EQ(reason, "is a symbolic link");
  EXPECT_TRUE(std::filesystem::is_symlink(real));
  EXPECT_EQ(device.readFile("/var/mobile/elsewhere.plist"), "target");
  // Reading through the link is fine.
  device.writeFile("/var/mobile/elsewhere.plist",
                   "<plist><dict><key>TalvoCBEnabled</key><true/></dict></plist>");
  EXPECT_TRUE(NSDictionary::dictionaryWithContentsOfFile(kSettings));
}
