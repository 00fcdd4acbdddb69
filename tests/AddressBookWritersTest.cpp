// Writers of the address book killed with real signals at chosen moments, and the tools' strict
// reading of identifiers and names.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "SampleDevice.h"
#include "SamplePictures.h"
#include "Subprocess.h"
#include "TemporaryDevice.h"
#include "addressbook/ABDatabase.h"
#include "coregraphics/JPEGEncoding.h"

namespace {

constexpr const char* kJohnsNumber = "+1 (555) 010-0100";

struct BookDevice {
  BookDevice() {
    std::string error;
    EXPECT_TRUE(sample::writeSampleDevice(device.root(), sample::SampleOptions(), nullptr, &error))
        << error;
  }
  ProcessResult tool(std::vector<std::string> words) const {
    words.insert(words.begin(), {"talvocb", "--root", device.root()});
    return runProgram(words);
  }
  // One value read straight from a file of the book, as text.
  std::string value(const char* devicePath, const std::string& sql) const {
    sqlite3* db = nullptr;
    std::string out;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_open_v2(device.real(devicePath).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) ==
            SQLITE_OK &&
        sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
      const void* bytes = sqlite3_column_blob(statement, 0);
      out.assign(static_cast<const char*>(bytes),
                 static_cast<std::size_t>(sqlite3_column_bytes(statement, 0)));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return out;
  }
  std::string johnsPhoto() const {
    return value(kABImagesDatabaseDevicePath,
                 "SELECT data FROM ABFullSizeImage WHERE record_id = 1");
  }
  // What a killed writer may leave beside the files.
  std::vector<std::string> leftovers() const {
    std::vector<std::string> found;
    for (const char* file : {kABDatabaseDevicePath, kABImagesDatabaseDevicePath}) {
      for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        if (std::filesystem::exists(device.real(file) + suffix)) found.push_back(suffix);
      }
    }
    return found;
  }
  TemporaryDevice device;
};

// Runs the tool with the test's stop asked for, waits until it stops inside its transaction and
// kills it there.
void killInsideTheWrite(const std::vector<std::string>& argv) {
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::setenv("TALVOCB_STOP_INSIDE_WRITE", "1", 1);
    std::vector<char*> args;
    std::string path = binary(argv[0]);
    args.push_back(path.data());
    std::vector<std::string> rest(argv.begin() + 1, argv.end());
    for (std::string& arg : rest) args.push_back(arg.data());
    args.push_back(nullptr);
    ::execv(path.c_str(), args.data());
    ::_exit(127);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, WUNTRACED), pid);
  ASSERT_TRUE(WIFSTOPPED(status)) << "the writer ended before its transaction: " << status;
  ::kill(pid, SIGKILL);
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status));
}

}  // namespace

TEST(AddressBookWriters, AWriterKilledInsideItsTransactionLeavesTheLastCommitReadable) {
  BookDevice phone;
  // Noise, so that the photo is larger than the writer's page cache: the writer has written into
  // the files when it is killed.
  constexpr int kSide = 1400;
  std::vector<uint8_t> pixels(std::size_t{kSide} * kSide * 4);
  uint32_t state = 7;
  for (uint8_t& byte : pixels)
    byte = static_cast<uint8_t>((state = state * 1664525 + 1013904223) >> 24);
  std::vector<uint8_t> jpeg = standin::encodeJPEG(pixels.data(), kSide, kSide, kSide * 4, 100);
  ASSERT_GT(jpeg.size(), 3'000'000u);
  phone.device.writeFile("/tmp/photo.jpg", std::string(jpeg.begin(), jpeg.end()));
  std::string photo = phone.device.real("/tmp/photo.jpg");
  std::string before = phone.johnsPhoto();
  ProcessResult sheet = phone.tool({"contact-sheet", "-o", phone.device.real("/tmp/a.png")});
  ASSERT_EQ(sheet.status, 0) << sheet.err;
  ASSERT_FALSE(before.empty());

  killInsideTheWrite(
      {"talvocb", "--root", phone.device.root(), "addressbook", "set-photo", "1", photo});
  // Pages of the photo, uncommitted, are in the log, which the readers must step over.
  EXPECT_GT(std::filesystem::file_size(phone.device.real(kABImagesDatabaseDevicePath) + "-wal"),
            1'000'000u);

  EXPECT_EQ(phone.tool({"contact-id", kJohnsNumber}).out, "1\n");
  ProcessResult after = phone.tool({"contact-sheet", "-o", phone.device.real("/tmp/b.png")});
  EXPECT_EQ(after.status, 0) << after.err;
  EXPECT_EQ(after.out.substr(after.out.find(':')), sheet.out.substr(sheet.out.find(':')));
  EXPECT_EQ(phone.johnsPhoto(), before);
  std::string dump = phone.device.real("/tmp/call.json");
  ProcessResult call = runProgram({"talvocb-host", "--root", phone.device.root(), "--bundle-id",
                                   "com.apple.springboard", "--do",
                                   std::string("call ") + kJohnsNumber, "--do", "dump " + dump});
  EXPECT_EQ(call.status, 0) << call.err;
  EXPECT_NE(phone.device.readFile("/tmp/call.json").find("John Appleseed"), std::string::npos);

  // The next write finishes, and leaves nothing of the killed one beside the files.
  ProcessResult write = phone.tool({"addressbook", "set-photo", "1", photo});
  EXPECT_EQ(write.status, 0) << write.err;
  EXPECT_EQ(phone.leftovers(), std::vector<std::string>());
  EXPECT_NE(phone.johnsPhoto(), before);
}

// A book kept in rollback mode by some other writer, which died with its journal hot: read-only
// readers cannot roll it back, so the tools say so instead of answering nobody; the next edit
// rolls it back.
TEST(AddressBookWriters, AHotJournalIsReportedThenRolledBackByTheNextEdit) {
  BookDevice phone;
  std::string book = phone.device.real(kABDatabaseDevicePath);
  std::string count = "SELECT count(*) || '' FROM ABPerson";
  std::string people = phone.value(kABDatabaseDevicePath, count);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    sqlite3* db = nullptr;
    sqlite3_open(book.c_str(), &db);
    sqlite3_exec(db,
                 "PRAGMA journal_mode=DELETE; PRAGMA cache_size=1; BEGIN IMMEDIATE; "
                 "DELETE FROM ABPerson; DELETE FROM ABMultiValue;",
                 nullptr, nullptr, nullptr);
    ::raise(SIGKILL);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_TRUE(std::filesystem::exists(book + "-journal"));

  for (const auto& words : std::vector<std::vector<std::string>>{
           {"contact-id", kJohnsNumber},
           {"contact-sheet", "-o", phone.device.real("/tmp/sheet.png")},
           {"monogram-text", "--id", "1"}}) {
    ProcessResult read = phone.tool(words);
    EXPECT_EQ(read.status, 1) << words[0];
    EXPECT_EQ(read.out, "") << words[0];
    EXPECT_NE(read.err.find("talvocb: the address book cannot be read"), std::string::npos)
        << read.err;
    EXPECT_NE(read.err.find("rollback journal"), std::string::npos) << read.err;
  }

  ProcessResult edit = phone.tool({"addressbook", "set-name", "3", "Anna", "Haro"});
  EXPECT_EQ(edit.status, 0) << edit.err;
  EXPECT_EQ(phone.leftovers(), std::vector<std::string>());
  EXPECT_EQ(phone.tool({"contact-id", kJohnsNumber}).out, "1\n");
  EXPECT_EQ(phone.value(kABDatabaseDevicePath, count), people);
}

TEST(AddressBookWriters, IdentifiersAndNamesAreReadStrictly) {
  BookDevice phone;
  std::string photo = phone.device.real("/tmp/photo.png");
  std::string name = "SELECT First || ' ' || Last FROM ABPerson WHERE ROWID = 16";
  ASSERT_EQ(phone.tool({"picture", "--id", "3", "-o", photo}).status, 0);
  std::string before = phone.value(kABDatabaseDevicePath, name);
  for (const auto& words : std::vector<std::vector<std::string>>{
           {"addressbook", "set-name", "0x10", "A", "B"},
           {"addressbook", "set-name", "99999999999999999999", "A", "B"},
           {"addressbook", "set-name", "4294967312", "A", "B"},  // 16 in its low 32 bits
           {"addressbook", "set-name", "+16", "A", "B"},
           {"addressbook", "set-photo", "1e1", photo},
           {"picture", "--id", "0x1", "-o", photo},
           {"monogram", "JS", "--id", "2147483648", "-o", photo},
           {"monogram-text", "--id", " 13"}}) {
    ProcessResult run = phone.tool(words);
    EXPECT_EQ(run.status, 2) << words[0] << " " << words[2];
    EXPECT_NE(run.err.find("is not a contact identifier"), std::string::npos) << run.err;
  }
  EXPECT_EQ(phone.tool({"monogram-text", "--id", "013"}).out, "MJ\n");

  ProcessResult bad = phone.tool({"addressbook", "set-name", "16", "Ol\xff", "B"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("not valid UTF-8"), std::string::npos) << bad.err;
  EXPECT_EQ(phone.tool({"addressbook", "set-name", "16", "A", "\xed\xa0\x80"}).status, 1);
  EXPECT_EQ(phone.value(kABDatabaseDevicePath, name), before);

  // Nobody holds it: one answer, whichever lookup was asked, and with no book at all.
  for (const char* party : {"+1 (555) 999-9999", "nobody@example.com", "", "@"}) {
    EXPECT_EQ(phone.tool({"contact-id", party}).out, "-1\n") << party;
    EXPECT_EQ(phone.tool({"contact-id", party}).status, 0) << party;
  }
  std::filesystem::remove(phone.device.real(kABDatabaseDevicePath));
  std::filesystem::remove(phone.device.real(kABImagesDatabaseDevicePath));
  EXPECT_EQ(phone.tool({"contact-id", kJohnsNumber}).out, "-1\n");
}
