// The address-book readers wait and try again only while another process holds a file; a file
// that is not a database, or is cut short, answers at once, as after the last attempt.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <filesystem>

#include "ContactLookupState.h"
#include "PictureSupport.h"
#include "RollbackJournal.h"
#include "SampleDevice.h"
#include "TalvoCBRetry.h"
#include "TalvoCBUtils+ContactLookupInternal.h"
#include "TalvoCBUtils+MonogramText.h"
#include "TalvoCBUtils+Retrieval.h"
#include "TalvoCBUtils+RetrievalInternal.h"
#include "uikit/UIFont.h"

namespace {
const std::string kMain = "/private/var/mobile/Library/AddressBook/AddressBook.sqlitedb";
const std::string kImages = "/private/var/mobile/Library/AddressBook/AddressBookImages.sqlitedb";
constexpr int32_t kJohnWithPhoto = 1, kMaryAnnSmithJones = 13;

std::atomic<int> waits{0};
void countWait() {
  ++waits;
}

class WaitingRuleTest : public PictureDevice {
 protected:
  void SetUp() override {
    PictureDevice::SetUp();
    TalvoCBResetContactLookup();
    std::string error;
    ASSERT_TRUE(sample::writeHandPickedAddressBook(device->root(), "US", nullptr, &error)) << error;
    useRollbackJournal(device->real(kMain));
    useRollbackJournal(device->real(kImages));
    waits = 0;
    TalvoCBSetRetryWait(countWait);
    // The shared address book already holds the person, as a running host's would: its answer
    // (MS) tells the fallback from the database's (MJ).
    ASSERT_NE(TalvoCBUtils::getPersonRecordFromDB(kMaryAnnSmithJones), nullptr);
  }
  void TearDown() override {
    TalvoCBSetRetryWait(nullptr);
    TalvoCBResetContactLookup();
    PictureDevice::TearDown();
  }

  void garble(const std::string& devicePath) {
    device->writeFile(devicePath, std::string(8192, 'g'));
  }
  // The file cut to its first page: the schema is there, the tables' pages are not.
  void truncate(const std::string& devicePath) {
    std::filesystem::resize_file(device->real(devicePath), 4096);
  }

  // Holds the file locked for the guard's lifetime, as the platform's writer would.
  struct Lock {
    Lock(const std::string& path) {
      EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
      EXPECT_EQ(sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    ~Lock() {
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
      sqlite3_close(db);
    }
    sqlite3* db = nullptr;
  };

  OptionalString monogramText() {
    ::testing::internal::CaptureStderr();
    OptionalString text = TalvoCBUtils::monogramTextFromAB(kMaryAnnSmithJones);
    log = ::testing::internal::GetCapturedStderr();
    return text;
  }

  std::string log;
};
}  // namespace

TEST_F(WaitingRuleTest, MonogramTextOfABrokenDatabaseFallsBackAtOnce) {
  garble(kMain);
  EXPECT_EQ(monogramText(), "MS");
  EXPECT_EQ(waits, 0);
  EXPECT_NE(log.find("file is not a database"), std::string::npos) << log;
  EXPECT_NE(log.find("Max waiting attempts over"), std::string::npos) << log;

  std::string error;
  ASSERT_TRUE(sample::writeHandPickedAddressBook(device->root(), "US", nullptr, &error)) << error;
  truncate(kMain);
  EXPECT_EQ(monogramText(), "MS");
  EXPECT_EQ(waits, 0);
  EXPECT_NE(log.find("malformed"), std::string::npos) << log;
}

TEST_F(WaitingRuleTest, MonogramTextOfALockedDatabaseWaitsFourTimes) {
  {
    Lock lock(device->real(kMain));
    EXPECT_EQ(monogramText(), "MS");
  }
  EXPECT_EQ(waits, 4);
  EXPECT_EQ(monogramText(), "MJ");
  EXPECT_EQ(waits, 4);
}

TEST_F(WaitingRuleTest, ThumbnailsOfABrokenStoreAreNilAtOnce) {
  garble(kImages);
  EXPECT_EQ(getContactImageFromABForID(kJohnWithPhoto, 0), nullptr);
  EXPECT_EQ(waits, 0);

  std::string error;
  ASSERT_TRUE(sample::writeHandPickedAddressBook(device->root(), "US", nullptr, &error)) << error;
  truncate(kImages);
  EXPECT_EQ(getContactImageFromABForID(kJohnWithPhoto, 0), nullptr);
  EXPECT_EQ(waits, 0);

  // The whole chain over two broken files: a monogram, without a single wait.
  garble(kMain);
  UIImagePtr picture = TalvoCBUtils::getContactImageOnly(
      kJohnWithPhoto, std::string("JA"), false, CGSizeMake(60, 60), UIFont::systemFontOfSize(17));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->size(), CGSizeMake(60, 60));
  EXPECT_EQ(TalvoCBUtils::getContactImage(kJohnWithPhoto), picture);
  EXPECT_TRUE(TalvoCBUtils::getContactImage(kMaryAnnSmithJones));  // its text read at once too
  EXPECT_EQ(waits, 0);
}

TEST_F(WaitingRuleTest, ThumbnailsOfALockedStoreAreWaitedFor) {
  {
    Lock lock(device->real(kImages));
    EXPECT_EQ(getContactImageFromABForID(kJohnWithPhoto, 0), nullptr);
  }
  EXPECT_EQ(waits, 2);
  EXPECT_NE(getContactImageFromABForID(kJohnWithPhoto, 0), nullptr);
  EXPECT_EQ(waits, 2);
}
