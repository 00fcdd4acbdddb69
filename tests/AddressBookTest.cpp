// The address book over the device's database files.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "AddressBookWriter.h"
#include "SampleDevice.h"
#include "TalvoCBUtils+PhoneFormatting.h"
#include "TemporaryDevice.h"
#include "addressbook/ABAddressBook.h"

namespace {
// The hand-picked book's records used below.
constexpr ABRecordID kJohnAppleseed = 1, kKateBell = 2, kAnnaHaro = 3, kDavidCardA = 4,
                     kDavidCardB = 5, kNoName = 8, kAliceMartin = 23, kBobMartin = 24;

class AddressBookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(sample::writeHandPickedAddressBook(device.root(), "US", nullptr, &error)) << error;
    book = ABAddressBookCreate();
  }
  void TearDown() override { CFRelease(book); }

  ABRecordID find(const std::string& number) {
    return ABRecordGetRecordID(ABCFindPersonMatchingPhoneNumber(book, number, 0, 0));
  }

  TemporaryDevice device;
  ABAddressBookRef book = nullptr;
};

void execute(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}
}  // namespace

TEST_F(AddressBookTest, PhoneNumbersMatchInEveryWrittenForm) {
  EXPECT_EQ(find("+1 (555) 010-0100"), kJohnAppleseed);
  EXPECT_EQ(find("555-010-0100"), kJohnAppleseed);
  EXPECT_EQ(find("15550100100"), kJohnAppleseed);
  EXPECT_EQ(find("(555) 010-0101"), kJohnAppleseed);  // his second number
  EXPECT_EQ(find("+44 20 7946 0019"), 30);            // stored with the US exit code
  // A shared number goes to the lowest record, however it is written.
  EXPECT_EQ(find("555.010.0150"), kAliceMartin);
  EXPECT_EQ(find("+1 555 010 0151"), kBobMartin);
  // Other numbers, bare tails and e-mail addresses find nobody.
  EXPECT_EQ(find("555-010-0199"), kABRecordInvalidID);
  EXPECT_EQ(find("0100"), kABRecordInvalidID);
  EXPECT_EQ(find("+44 555 010 0100"), kABRecordInvalidID);
  EXPECT_EQ(find("anna-haro@mac.example"), kABRecordInvalidID);
  EXPECT_EQ(find(""), kABRecordInvalidID);
  EXPECT_EQ(ABCFindPersonMatchingPhoneNumber(nullptr, "555-010-0100", 0, 0), nullptr);
}

TEST_F(AddressBookTest, RecordsNamesPicturesAndLinkedCards) {
  ABRecordRef john = ABAddressBookGetPersonWithRecordID(book, kJohnAppleseed);
  ASSERT_NE(john, nullptr);
  EXPECT_EQ(ABAddressBookGetPersonWithRecordID(book, kJohnAppleseed), john);  // owned by the book
  EXPECT_EQ(stringValue(ABRecordCopyValue(john, kABPersonFirstNameProperty)), "John");
  EXPECT_EQ(stringValue(ABRecordCopyValue(john, kABPersonLastNameProperty)), "Appleseed");
  EXPECT_EQ(ABRecordCopyValue(john, kABPersonPhoneProperty), nullptr);
  ABRecordRef nameless = ABAddressBookGetPersonWithRecordID(book, kNoName);
  ASSERT_NE(nameless, nullptr);
  EXPECT_EQ(ABRecordCopyValue(nameless, kABPersonFirstNameProperty), nullptr);
  EXPECT_EQ(ABAddressBookGetPersonWithRecordID(book, 999), nullptr);
  EXPECT_EQ(ABRecordGetRecordID(nullptr), kABRecordInvalidID);

  // John has a thumbnail (JPEG) and a larger full-size photo; Kate a PNG thumbnail only.
  auto thumbnail = ABPersonCopyImageDataWithFormat(john, kABPersonImageFormatThumbnail);
  auto full = ABPersonCopyImageData(john);
  ASSERT_TRUE(thumbnail && full);
  EXPECT_EQ(thumbnail->bytes[0], 0xFF);
  EXPECT_EQ(thumbnail->bytes[1], 0xD8);
  EXPECT_GT(full->length(), thumbnail->length());
  ABRecordRef kate = ABAddressBookGetPersonWithRecordID(book, kKateBell);
  auto png = ABPersonCopyImageData(kate);
  ASSERT_TRUE(png);
  EXPECT_EQ(std::string(png->bytes.begin() + 1, png->bytes.begin() + 4), "PNG");
  EXPECT_TRUE(ABPersonHasImageData(kate));
  ABRecordRef anna = ABAddressBookGetPersonWithRecordID(book, kAnnaHaro);
  EXPECT_FALSE(ABPersonHasImageData(anna));
  EXPECT_EQ(ABPersonCopyImageDataWithFormat(anna, kABPersonImageFormatThumbnail), nullptr);

  // David is one person on two cards; the photo is on the second card only.
  ABRecordRef david = ABAddressBookGetPersonWithRecordID(book, kDavidCardA);
  EXPECT_FALSE(ABPersonHasImageData(david));
  std::vector<ABRecordRef> cards = ABPersonCopyArrayOfAllLinkedPeople(david);
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(ABRecordGetRecordID(cards[0]), kDavidCardA);
  EXPECT_EQ(ABRecordGetRecordID(cards[1]), kDavidCardB);
  EXPECT_TRUE(ABPersonHasImageData(cards[1]));
  EXPECT_EQ(ABPersonCopyArrayOfAllLinkedPeople(john), std::vector<ABRecordRef>{john});
  EXPECT_TRUE(ABPersonCopyArrayOfAllLinkedPeople(nullptr).empty());
}

TEST(AddressBookFilesTest, MissingBrokenAndMinimalFilesNeverCrash) {
  TemporaryDevice device;
  const std::string folder = "/private/var/mobile/Library/AddressBook/";
  auto lookUp = [] {
    ABAddressBookRef book = ABAddressBookCreate();
    EXPECT_NE(book, nullptr);
    ABRecordRef person = ABAddressBookGetPersonWithRecordID(book, 1);
    ABRecordID found = ABRecordGetRecordID(ABCFindPersonMatchingPhoneNumber(book, "5550100", 0, 0));
    EXPECT_FALSE(ABPersonHasImageData(person));
    CFRelease(book);
    return std::make_pair(person != nullptr, found);
  };
  EXPECT_EQ(lookUp(), std::make_pair(false, kABRecordInvalidID));  // no files at all

  device.writeFile(folder + "AddressBook.sqlitedb", "not a database, just text");
  device.writeFile(folder + "AddressBookImages.sqlitedb", std::string(4096, '\0'));
  EXPECT_EQ(lookUp(), std::make_pair(false, kABRecordInvalidID));

  // Only the tables and columns the system itself reads, with awkward values: the book still
  // finds people and numbers, without links or the last-digits index.
  std::string main = device.real(folder + "AddressBook.sqlitedb");
  std::remove(main.c_str());
  execute(main,
          "CREATE TABLE ABPERSON (ROWID INTEGER PRIMARY KEY, FIRST, LAST, MODIFICATIONDATE);"
          "CREATE TABLE ABMULTIVALUE (record_id INTEGER, value);"
          "INSERT INTO ABPERSON VALUES (1, x'C328', 42, 0), (2, NULL, NULL, NULL);"
          "INSERT INTO ABMULTIVALUE VALUES (1, NULL), (1, x'FFFE'), (2, '555-0100'),"
          " (NULL, '555-0100'), (1, 'someone@example.com');");
  EXPECT_EQ(lookUp(), std::make_pair(true, 2));
  ABAddressBookRef book = ABAddressBookCreate();
  ABRecordRef person = ABAddressBookGetPersonWithRecordID(book, 1);
  EXPECT_EQ(ABRecordCopyValue(person, kABPersonFirstNameProperty), nullptr);  // not UTF-8
  EXPECT_EQ(stringValue(ABRecordCopyValue(person, kABPersonLastNameProperty)), "42");
  EXPECT_EQ(ABPersonCopyArrayOfAllLinkedPeople(person).size(), 1u);
  CFRelease(book);
}

TEST(ABPhoneFormattingTest, FormatsAsTheDevicesRegionWrites) {
  TemporaryDevice device;
  ASSERT_NE(objc_getClass("ABPhoneFormatting"), nullptr);
  EXPECT_EQ(ABPhoneFormatting::abCopyPhoneNumberFromString("5550100100"), "(555) 010-0100");
  EXPECT_EQ(TalvoCBUtils::getFormattedPhoneNumber("1-555-010-0100"), "(555) 010-0100");
  EXPECT_EQ(TalvoCBUtils::getFormattedPhoneNumber("+44 20 7946 0018"), "+44 20 7946 0018");
  EXPECT_EQ(TalvoCBUtils::getFormattedPhoneNumber("not a number"), "not a number");
  EXPECT_EQ(TalvoCBUtils::getFormattedPhoneNumber(std::nullopt), std::nullopt);
  DeviceProfile british;
  british.region = "GB";
  standin::setDeviceProfile(british);
  EXPECT_EQ(TalvoCBUtils::getFormattedPhoneNumber("02079460018"), "020 7946 0018");
  standin::setDeviceProfile(DeviceProfile());
}
