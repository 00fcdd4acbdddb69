// The log lines that support reads: each names its method or function as the platform writes it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <regex>

#include "TALCBSettings.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+CacheInternal.h"
#include "TalvoCBUtils+Probes.h"
#include "TalvoCBUtils+RetrievalInternal.h"
#include "TemporaryDevice.h"
#include "foundation/NSLog.h"

namespace {
// The log lines written while the action runs, without the time stamp and process prefix.
template <class Action>
std::vector<std::string> linesLoggedBy(Action action) {
  testing::internal::CaptureStderr();
  action();
  std::string text = testing::internal::GetCapturedStderr();
  std::vector<std::string> lines;
  std::regex prefix(R"(^\S+ \S+ \S+\[\d+:[0-9a-f]+\] )");
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(std::regex_replace(text.substr(start, end - start), prefix, ""));
  }
  return lines;
}

// Replaces the source line number, which moves with every edit.
std::string withoutLineNumber(const std::string& line) {
  return std::regex_replace(line, std::regex(R"(\[Line \d+\])"), "[Line N]");
}
}  // namespace

TEST(LogLines, NameMethodsAndFunctionsAsThePlatformDoes) {
  TemporaryDevice device;
  auto settingsLines = linesLoggedBy([] { make<TALCBSettings>(); });
  ASSERT_EQ(settingsLines.size(), 1u);
  EXPECT_EQ(withoutLineNumber(settingsLines[0]),
            "com.quorvik.TalvoCB: Information => -[TALCBSettings loadSettings], [Line N], Loading "
            "settings completed..");

  auto missing = linesLoggedBy([] { TalvoCBUtils::removeItemAtPath("/tmp/nothing-here"); });
  ASSERT_EQ(missing.size(), 1u);
  EXPECT_EQ(withoutLineNumber(missing[0]),
            "com.quorvik.TalvoCB: Error => +[TalvoCBUtils removeItemAtPath:], [Line N], Item "
            "doesn't exist at /tmp/nothing-here");

  auto nilKey = linesLoggedBy([] { TalvoCBUtils::setContactImage(nullptr, id()); });
  ASSERT_EQ(nilKey.size(), 1u);
  EXPECT_EQ(withoutLineNumber(nilKey[0]),
            "com.quorvik.TalvoCB: Error => +[TalvoCBUtils setContactImage:withID:], [Line N], "
            "Image or key (null) is nil.");
}

TEST(LogLines, ThumbnailReaderNamesItsCSignature) {
  TemporaryDevice device;
  // A thumbnail store that opens but has no table: preparing the statement fails.
  device.writeFile("/private/var/mobile/Library/AddressBook/AddressBookImages.sqlitedb", "");
  auto lines = linesLoggedBy([] { TalvoCBUtils::getContactImageABUIPerson(nullptr); });
  EXPECT_TRUE(lines.empty());
  lines = linesLoggedBy([] { getContactImageFromABForID(1, 2); });
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(withoutLineNumber(lines[0]),
            "com.quorvik.TalvoCB: Error => NSData *getContactImageFromABForID(int, int), [Line N], "
            "Error while preparing statement: 'no such table: ABThumbnailImage'");
}

// A message of a megabyte is cut to 16 KiB, saying how much was left out; a file standard error
// goes to is not grown past 16 MiB, past which one line says the rest is left out.
TEST(LogLines, LinesAndTheFileTheyGoToAreBounded) {
  auto cut = linesLoggedBy([] { NSLogString(std::string(1 << 20, 'x')); });
  ASSERT_EQ(cut.size(), 1u);
  EXPECT_EQ(cut[0], std::string(16 * 1024, 'x') + "... [" + std::to_string((1 << 20) - 16 * 1024) +
                        " bytes left out]");

  char path[] = "/tmp/talvocb-full-log-XXXXXX";
  int file = ::mkstemp(path);
  ASSERT_GE(file, 0);
  ASSERT_EQ(::ftruncate(file, 16 << 20), 0);
  std::fflush(stderr);
  int saved = ::dup(STDERR_FILENO);
  ::dup2(file, STDERR_FILENO);
  for (int i = 0; i < 3; ++i) NSLog("line %d", i);
  std::fflush(stderr);
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);
  struct stat info {};
  ASSERT_EQ(::fstat(file, &info), 0);
  EXPECT_LT(info.st_size, (16 << 20) + 200);
  ::close(file);
  ::unlink(path);
}
