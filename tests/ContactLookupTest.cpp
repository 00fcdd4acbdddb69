// Contact lookup: party text to contact identifier, remembered per process.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "AddressBookWriter.h"
#include "ContactLookupState.h"
#include "HandPickedBookTest.h"
#include "SampleDevice.h"
#include "TalvoCBUtils+ContactLookup.h"
#include "TalvoCBUtils+ContactLookupInternal.h"
#include "TalvoCBUtils+MonogramText.h"
#include "TalvoCBUtils+MonogramTextInternal.h"
#include "TemporaryDevice.h"
#include "addressbook/ABAddressBook.h"

namespace {
const std::string kDatabase = "/private/var/mobile/Library/AddressBook/AddressBook.sqlitedb";

class ContactLookupTest : public HandPickedBookTest {
 protected:
  void removeDatabase() { std::remove(device.real(kDatabase).c_str()); }

  // The lookup's answer and its log output.
  std::pair<int32_t, std::string> lookUp(const OptionalString& party) {
    ::testing::internal::CaptureStderr();
    int32_t result = TalvoCBUtils::getContactID(party);
    return {result, ::testing::internal::GetCapturedStderr()};
  }
};
}  // namespace

TEST_F(ContactLookupTest, PhoneNumbersAreSearchedOnceThenRemembered) {
  auto [first, firstLog] = lookUp("555-010-0100");
  EXPECT_EQ(first, 1);
  EXPECT_NE(firstLog.find("Got contact ID '0' for '555-010-0100'"), std::string::npos);
  // A new address book would now find another person for the number; the map still answers.
  {
    sample::AddressBookWriter writer(device.root(), "US");
    writer.addPerson("Someone", "Else", 0);
    ABRecordID other = writer.addPerson("New", "Owner", 0);
    writer.addPhone(other, "555-010-0100", "_$!<Mobile>!$_");
    ASSERT_TRUE(writer.commit()) << writer.error();
  }
  auto [second, secondLog] = lookUp("555-010-0100");
  EXPECT_EQ(second, 1);
  EXPECT_NE(secondLog.find("Got contact ID '1' for '555-010-0100'"), std::string::npos);
  // Another written form of the number is another key, searched in the same (old) handle.
  EXPECT_EQ(lookUp("+1 (555) 010-0100").first, 1);
  // Emptying the map and the handle searches the new book.
  TalvoCBResetContactLookup();
  EXPECT_EQ(lookUp("555-010-0100").first, 2);

  // Nobody: 0 every time, never remembered.
  for (int i = 0; i < 2; ++i) {
    auto [none, log] = lookUp("555-010-0999");
    EXPECT_EQ(none, 0);
    EXPECT_NE(log.find("Got contact ID '0'"), std::string::npos);
  }
  EXPECT_EQ(lookUp(std::nullopt).first, -1);
}

TEST_F(ContactLookupTest, EmailAddressesMatchWholeAndBound) {
  EXPECT_EQ(lookUp("john_doe@example.com").first, 25);
  EXPECT_EQ(lookUp("JOHN_DOE@EXAMPLE.COM").first, 25);  // ASCII case does not count
  EXPECT_EQ(lookUp("johnxdoe@example.com").first, 26);
  // "_" and "%" are characters of the address, not wildcards.
  EXPECT_EQ(lookUp("john_doe@example.co_").first, -1);
  EXPECT_EQ(lookUp("john%@example.com").first, -1);
  EXPECT_EQ(lookUp("%@%").first, -1);
  EXPECT_EQ(lookUp("mary.ann%work@example.com").first, 13);
  // Quotes are looked up like anything else, and cannot change the statement.
  EXPECT_EQ(lookUp("shaq.o'neil@example.com").first, 11);
  EXPECT_EQ(lookUp("x@y' OR '1'='1").first, -1);
  EXPECT_EQ(lookUp("x@y\" OR 1=1 --").first, -1);
  // Any "@" makes an e-mail address; a missing database answers -1.
  EXPECT_EQ(lookUp("555@0100").first, -1);
  removeDatabase();
  EXPECT_EQ(lookUp("anna-haro@mac.example").first, -1);
  EXPECT_EQ(lookUp("john_doe@example.com").first, 25);  // remembered
}

TEST_F(ContactLookupTest, TruncatedDatabaseFindsNobody) {
  // Cut after its first page, as by a full disk or an interrupted copy: the schema is there, the
  // rows are not. The number and the address find nobody, and the name has no text.
  std::filesystem::resize_file(device.real(kDatabase), 4096);
  EXPECT_EQ(lookUp("555-010-0100").first, 0);
  EXPECT_EQ(lookUp("anna-haro@mac.example").first, -1);
  EXPECT_FALSE(TalvoCBUtils::monogramTextFromContactID(1));
}

TEST_F(ContactLookupTest, RemovingAnIdentifierDropsOneKeyAtATime) {
  const std::string a = "John.Appleseed@Example.com", b = "john@appleseed.example";
  ASSERT_EQ(lookUp(a).first, 1);
  ASSERT_EQ(lookUp(b).first, 1);
  removeDatabase();  // from now on only the map can answer
  TalvoCBUtils::removeContactIDFromCache(99);
  TalvoCBUtils::removeContactIDFromCache(1);
  int remembered = (lookUp(a).first == 1) + (lookUp(b).first == 1);
  EXPECT_EQ(remembered, 1);
  TalvoCBUtils::removeContactIDFromCache(1);
  EXPECT_EQ(lookUp(a).first, -1);
  EXPECT_EQ(lookUp(b).first, -1);
}

TEST_F(ContactLookupTest, SharedHandleAndPersonRecords) {
  ABAddressBookRef book = TalvoCBUtils::getAddressBook();
  ASSERT_NE(book, nullptr);
  EXPECT_EQ(TalvoCBUtils::getAddressBook(), book);
  ABRecordRef kate = TalvoCBUtils::getPersonRecordFromDB(2);
  EXPECT_EQ(ABRecordGetRecordID(kate), 2);
  EXPECT_EQ(TalvoCBUtils::getPersonRecordFromDB(999), nullptr);
  EXPECT_EQ(TalvoCBUtils::getPersonRecordFromDB(-1), nullptr);
  // A caller's own handle is used for phone numbers.
  ABAddressBookRef own = ABAddressBookCreate();
  EXPECT_EQ(TalvoCBUtils::getContactID(std::string("(555) 564-8583"), own), 2);
  CFRelease(own);
  TalvoCBResetContactLookup();
  EXPECT_NE(TalvoCBUtils::getAddressBook(), nullptr);
}

namespace {
// A VFS that passes everything to the default one and records how database files are opened.
struct RecordingVfs {
  static inline sqlite3_vfs* original = nullptr;
  static inline sqlite3_vfs shim{};
  static inline std::vector<int> mainDatabaseOpens;
  static int open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    if (flags & SQLITE_OPEN_MAIN_DB) mainDatabaseOpens.push_back(flags);
    return original->xOpen(original, name, file, flags, outFlags);
  }
  RecordingVfs() {
    original = sqlite3_vfs_find(nullptr);
    shim = *original;
    shim.zName = "talvocb-recording";
    shim.xOpen = open;
    mainDatabaseOpens.clear();
    sqlite3_vfs_register(&shim, 1);
  }
  ~RecordingVfs() {
    sqlite3_vfs_unregister(&shim);
    sqlite3_vfs_register(original, 1);
  }
};
}  // namespace

TEST_F(ContactLookupTest, DatabaseFilesAreOnlyOpenedReadOnly) {
  RecordingVfs vfs;
  EXPECT_EQ(lookUp("anna-haro@mac.example").first, 3);
  EXPECT_EQ(lookUp("555-522-8243").first, 3);
  EXPECT_EQ(TalvoCBUtils::getMonogramTextFromAB(3), "AH");
  EXPECT_TRUE(ABPersonHasImageData(TalvoCBUtils::getPersonRecordFromDB(1)));
  ASSERT_GE(RecordingVfs::mainDatabaseOpens.size(), 3u);
  for (int flags : RecordingVfs::mainDatabaseOpens) {
    EXPECT_TRUE(flags & SQLITE_OPEN_READONLY);
    EXPECT_FALSE(flags & (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
  }
}
