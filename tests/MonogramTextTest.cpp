// Monogram text from names, from the address book and from its database file.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>

#include "ContactLookupState.h"
#include "HandPickedBookTest.h"
#include "RollbackJournal.h"
#include "SampleDevice.h"
#include "TalvoCBUtils+ContactLookupInternal.h"
#include "TalvoCBUtils+MonogramText.h"
#include "TalvoCBUtils+MonogramTextInternal.h"
#include "TemporaryDevice.h"

namespace {
const std::string kDatabase = "/private/var/mobile/Library/AddressBook/AddressBook.sqlitedb";

OptionalString fromName(const OptionalString& name) {
  return TalvoCBUtils::monogramTextFromName(name);
}

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class MonogramTextTest : public HandPickedBookTest {
 protected:
  // Replaces the address book with a database made by the given SQL.
  void replaceDatabase(const char* sql) {
    std::string path = device.real(kDatabase);
    std::remove(path.c_str());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  }
};
}  // namespace

TEST(MonogramNameRuleTest, InitialsOfTheFirstAndLastWord) {
  EXPECT_EQ(fromName("John"), "J");
  EXPECT_EQ(fromName("john smith"), "js");
  EXPECT_EQ(fromName("Dr. John Smith"), "DS");
  EXPECT_EQ(fromName("Mary Ann Smith"), "MS");
  EXPECT_EQ(fromName("\"Bobby\" Fischer"), "BF");
  EXPECT_EQ(fromName("O'Neil"), "ON");
  EXPECT_EQ(fromName("Ann--Lee"), "AL");
  EXPECT_EQ(fromName("-Ann"), " ");  // the first character of the normalised text is the blank
  EXPECT_EQ(fromName("--"), " ");
  EXPECT_EQ(fromName("Анна Иванова"), "АИ");
  EXPECT_EQ(fromName("محمد العلي"), "ما");
  EXPECT_EQ(fromName("山田 花子"), "山花");
  EXPECT_EQ(fromName("José Ñúñez"), "JÑ");
  EXPECT_EQ(fromName("😀Sunny Day"), "SD");  // an emoji is a separator, not a letter
  EXPECT_EQ(fromName("R2 D2"), "RD");
  EXPECT_EQ(fromName(""), "");
  EXPECT_EQ(fromName(std::nullopt), std::nullopt);
  EXPECT_EQ(fromName("\"\"\""), "");  // nothing left to take a character from
}

TEST(MonogramNameRuleTest, CharactersOutsideTheBasicPlaneStayWhole) {
  EXPECT_EQ(fromName("𐐔𐐯𐑅𐐨𐑉𐐯𐐻 Smith"), "𐐔S");
  EXPECT_EQ(fromName("Ann 𐐔𐐯𐑅"), "A𐐔");
  EXPECT_EQ(fromName("𝒜lice"), "𝒜");
  EXPECT_EQ(fromName("𠀋"), "𠀋");
}

TEST(MonogramNameRuleTest, BadTextNeverCrashes) {
  // Bytes that are not UTF-8 read as replacement characters, which separate words.
  EXPECT_EQ(fromName("\xff\xfeJohn \xc3"), " ");
  EXPECT_EQ(fromName("Ann\xe2\x82Lee"), "AL");
  EXPECT_EQ(fromName(std::string("Ann\0Lee", 7)), "AL");
  std::string longName(200000, 'x');
  EXPECT_EQ(fromName("Q" + longName + " " + std::string(100000, '-') + " Z" + longName), "QZ");
  EXPECT_EQ(fromName(std::string(100000, '"')), "");
}

TEST_F(MonogramTextTest, DatabaseAndAddressBookReads) {
  // Mary Ann / Smith Jones: the database path uses the name rule, the address-book path the
  // first character of each name.
  EXPECT_EQ(TalvoCBUtils::monogramTextFromAB(13), "MJ");
  EXPECT_EQ(TalvoCBUtils::monogramTextFromContactID(13), "MS");
  EXPECT_EQ(TalvoCBUtils::getMonogramTextFromAB(14), "vD");  // last name only
  EXPECT_EQ(TalvoCBUtils::getMonogramTextFromAB(6), "M");    // first name only
  EXPECT_EQ(TalvoCBUtils::monogramTextFromContactID(14), "v");
  EXPECT_EQ(TalvoCBUtils::monogramTextFromContactID(22), "𐐔S");     // never half a character
  EXPECT_EQ(TalvoCBUtils::getMonogramTextFromAB(8), std::nullopt);  // no name
  EXPECT_EQ(TalvoCBUtils::monogramTextFromContactID(8), std::nullopt);
  EXPECT_EQ(TalvoCBUtils::monogramTextFromContactID(999), std::nullopt);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(TalvoCBUtils::getMonogramTextFromAB(999), std::nullopt);
  EXPECT_NE(
      ::testing::internal::GetCapturedStderr().find("No contact info found in ABPERSON for '999'."),
      std::string::npos);
}

TEST_F(MonogramTextTest, BrokenDatabasesFallBackWithoutCrashing) {
  // Started at the last attempt, so that a failed read goes to the address book at once.
  auto lastAttempt = [](int32_t id) { return TalvoCBUtils::getMonogramTextFromAB(id, 4); };
  std::remove(device.real(kDatabase).c_str());
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(lastAttempt(1), std::nullopt);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // a missing file is no error

  device.writeFile(kDatabase, "this is not a database, only some text to fill a page");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(lastAttempt(1), std::nullopt);
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("Error while preparing statement: 'file is not a database'"),
            std::string::npos);
  EXPECT_NE(log.find("Max waiting attempts over, hence returning monogram thorugh AB API for "
                     "contact: 1"),
            std::string::npos);

  replaceDatabase("CREATE TABLE Other (x);");
  EXPECT_EQ(lastAttempt(1), std::nullopt);
  replaceDatabase("CREATE TABLE ABPERSON (ROWID INTEGER PRIMARY KEY, FIRST);");  // no LAST
  EXPECT_EQ(lastAttempt(1), std::nullopt);

  // NULL, numbers, text that is not UTF-8, text with a NUL.
  replaceDatabase(
      "CREATE TABLE ABPERSON (ROWID INTEGER PRIMARY KEY, FIRST, LAST);"
      "INSERT INTO ABPERSON VALUES (1, NULL, NULL), (2, 42, 7.5), (3, x'FF41', 'Smith'),"
      " (4, x'416E6E00426F62', x''), (5, '', ''), (6, '--', '\"\"');");
  EXPECT_EQ(lastAttempt(1), std::nullopt);
  EXPECT_EQ(lastAttempt(2), "45");  // "42 7.5": the point separates too
  EXPECT_EQ(lastAttempt(3), "S");
  EXPECT_EQ(lastAttempt(4), "A");
  EXPECT_EQ(lastAttempt(5), std::nullopt);
  EXPECT_EQ(lastAttempt(6), " ");
  // A negative count does not stretch the wait: the read succeeds at once here anyway.
  EXPECT_EQ(TalvoCBUtils::getMonogramTextFromAB(2, -1000), "45");
}

TEST_F(MonogramTextTest, LockedDatabaseWaitsFourSecondsThenAsksTheAddressBook) {
  useRollbackJournal(device.real(kDatabase));
  // The shared address book already holds the person, as a running host's would.
  ASSERT_NE(TalvoCBUtils::getPersonRecordFromDB(13), nullptr);
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(device.real(kDatabase).c_str(), &writer), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

  auto start = std::chrono::steady_clock::now();
  ::testing::internal::CaptureStderr();
  OptionalString text = TalvoCBUtils::monogramTextFromAB(13);
  std::string log = ::testing::internal::GetCapturedStderr();
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(writer);

  EXPECT_EQ(text, "MS");  // the address book's answer, not the database's MJ
  EXPECT_GE(seconds, 3.9);
  EXPECT_LT(seconds, 6.0);
  EXPECT_EQ(count(log, "database is locked"), 5u) << log;
  EXPECT_EQ(count(log, "Max waiting attempts over"), 1u);
  EXPECT_EQ(TalvoCBUtils::monogramTextFromAB(13), "MJ");  // unlocked again
}
