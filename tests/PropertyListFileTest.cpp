// The shared settings-style file: one locked read-modify-write per writer, only changed keys.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <thread>

#include "TemporaryDevice.h"
#include "foundation/PropertyListFile.h"

namespace {
constexpr const char* kFile = "/var/mobile/Library/Preferences/com.example.shared.plist";

std::shared_ptr<NSDictionary> onDisk() {
  return NSDictionary::dictionaryWithContentsOfFile(kFile);
}
ino_t inodeOf(const std::string& real) {
  struct stat info {};
  return ::stat(real.c_str(), &info) == 0 ? info.st_ino : 0;
}
}  // namespace

TEST(PropertyListFile, OnlyTheChangedKeysAreWrittenAndAnUnchangedFileIsLeftAlone) {
  TemporaryDevice device;
  auto first = PropertyListFile::update(
      kFile, {{"a", NSNumber::numberWithBool(true)}, {"b", make<NSString>("x")}},
      NSPropertyListBinaryFormat_v1_0);
  ASSERT_EQ(first.status, PropertyListFile::UpdateStatus::Written) << first.reason;

  // Another writer's key, put in behind this writer's back, stays.
  auto other = onDisk();
  other->setObject(NSNumber::numberWithInt(7), "other");
  ASSERT_TRUE(other->writeToFile(kFile, true));
  auto second =
      PropertyListFile::update(kFile, {{"a", NSNumber::numberWithBool(false)}, {"b", id()}},
                               NSPropertyListBinaryFormat_v1_0);
  ASSERT_EQ(second.status, PropertyListFile::UpdateStatus::Written);
  auto now = onDisk();
  ASSERT_TRUE(now);
  EXPECT_EQ(now->count(), 2u);
  EXPECT_FALSE(boolValue(now->objectForKey("a")));
  EXPECT_EQ(integerValue(now->objectForKey("other")), 7);
  EXPECT_EQ(integerValue(second.contents->objectForKey("other")), 7);

  // Values it holds already: no write at all (same file, same count of writes).
  ino_t inode = inodeOf(device.real(kFile));
  unsigned long writes = PropertyListFile::writesSoFar();
  auto same = PropertyListFile::update(kFile, {{"a", NSNumber::numberWithInt(0)}, {"b", id()}},
                                       NSPropertyListBinaryFormat_v1_0);
  EXPECT_EQ(same.status, PropertyListFile::UpdateStatus::Unchanged);
  EXPECT_EQ(PropertyListFile::writesSoFar(), writes);
  EXPECT_EQ(inodeOf(device.real(kFile)), inode);
}

TEST(PropertyListFile, AFileThatIsThereButUnreadableIsNeverReplaced) {
  TemporaryDevice device;
  for (const std::string& contents :
       {std::string("<plist><dict><key>a</key><true/>"), std::string("<plist><array/></plist>")}) {
    device.writeFile(kFile, contents);
    auto result = PropertyListFile::update(kFile, {{"a", NSNumber::numberWithBool(false)}},
                                           NSPropertyListBinaryFormat_v1_0);
    EXPECT_EQ(result.status, PropertyListFile::UpdateStatus::Unreadable);
    EXPECT_FALSE(result.ok());
    EXPECT_NE(result.reason.find("left unchanged"), std::string::npos) << result.reason;
    EXPECT_EQ(device.readFile(kFile), contents);
  }
  std::filesystem::remove(device.real(kFile));
  std::filesystem::create_directory(device.real(kFile));
  EXPECT_EQ(PropertyListFile::update(kFile, {{"a", id()}}, NSPropertyListXMLFormat_v1_0).status,
            PropertyListFile::UpdateStatus::Unreadable);
  EXPECT_TRUE(std::filesystem::is_directory(device.real(kFile)));
}

// Threads hold the lock as processes do (one open lock file each), so writers of different keys
// racing each other lose nothing.
TEST(PropertyListFile, ConcurrentWritersOfDifferentKeysLoseNothing) {
  TemporaryDevice device;
  constexpr int kWriters = 4, kRounds = 60;
  std::vector<std::thread> writers;
  std::atomic<int> failures{0};
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([w, &failures] {
      std::string key = "key" + std::to_string(w);
      for (int round = 1; round <= kRounds; ++round) {
        auto result = PropertyListFile::update(kFile, {{key, NSNumber::numberWithInt(round)}},
                                               NSPropertyListBinaryFormat_v1_0);
        // What this writer wrote last is still there when it writes again.
        if (!result.ok() || integerValue(result.contents->objectForKey(key)) != round) ++failures;
      }
    });
  }
  for (auto& writer : writers) writer.join();
  EXPECT_EQ(failures.load(), 0);
  auto settled = onDisk();
  ASSERT_TRUE(settled);
  for (int w = 0; w < kWriters; ++w) {
    EXPECT_EQ(integerValue(settled->objectForKey("key" + std::to_string(w))), kRounds);
  }
}
