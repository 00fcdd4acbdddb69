#include "addressbook/ABAddressBook.h"

#include <mutex>
#include <unordered_map>

#include "addressbook/ABDatabase.h"
#include "addressbook/ABPhoneMatching.h"
#include "addressbook/ABSQLite.h"
#include "foundation/Device.h"

using addressbook::ComparableNumber;
using addressbook::isOverlong;
using addressbook::openReadOnly;
using addressbook::sameNumber;
using addressbook::Statement;

struct __ABRecord {
  __ABAddressBook* book;
  ABRecordID recordID;
  std::optional<std::string> first;
  std::optional<std::string> last;
  int64_t personLink;
};

struct __ABAddressBook {
  ~__ABAddressBook() {
    sqlite3_close(main);
    sqlite3_close(images);
  }
  std::recursive_mutex lock;
  std::string region;
  sqlite3* main = nullptr;
  sqlite3* images = nullptr;
  std::unordered_map<ABRecordID, std::unique_ptr<__ABRecord>> people;
};

namespace {

// Connections are made on first use, so a book made before the files exist still finds them.
sqlite3* mainDatabase(ABAddressBookRef book) {
  if (!book->main) book->main = openReadOnly(kABDatabaseDevicePath);
  return book->main;
}
sqlite3* imagesDatabase(ABAddressBookRef book) {
  if (!book->images) book->images = openReadOnly(kABImagesDatabaseDevicePath);
  return book->images;
}

ABRecordRef personWithRecordID(ABAddressBookRef book, ABRecordID recordID) {
  auto found = book->people.find(recordID);
  if (found != book->people.end()) return found->second.get();
  sqlite3* db = mainDatabase(book);
  auto record = std::make_unique<__ABRecord>(__ABRecord{book, recordID, {}, {}, -1});
  Statement full(db, "SELECT First, Last, PersonLink FROM ABPerson WHERE ROWID = ?");
  if (full.valid()) {
    full.bind(1, recordID);
    if (!full.step()) return nullptr;
    record->first = full.text(0);
    record->last = full.text(1);
    if (!full.isNull(2)) record->personLink = full.integer(2);
  } else {
    // A book without links still has its people.
    Statement names(db, "SELECT First, Last FROM ABPerson WHERE ROWID = ?");
    names.bind(1, recordID);
    if (!names.step()) return nullptr;
    record->first = names.text(0);
    record->last = names.text(1);
  }
  return book->people.emplace(recordID, std::move(record)).first->second.get();
}

std::shared_ptr<NSData> imageData(ABRecordRef person, const char* sql, bool withFormat,
                                  int format) {
  Statement statement(imagesDatabase(person->book), sql);
  statement.bind(1, person->recordID);
  if (withFormat) statement.bind(2, format);
  auto data = statement.step() ? statement.blob(0) : nullptr;
  if (data) data->source = "photo of contact " + std::to_string(person->recordID);
  return data;
}

constexpr const char* kThumbnailSQL =
    "SELECT data FROM ABThumbnailImage WHERE record_id = ? AND format = ? AND data IS NOT NULL";
constexpr const char* kFullSizeSQL =
    "SELECT data FROM ABFullSizeImage WHERE record_id = ? AND data IS NOT NULL";

}  // namespace

ABAddressBookRef ABAddressBookCreate() {
  auto* book = new __ABAddressBook();
  book->region = standin::deviceProfile().region;
  return book;
}

void CFRelease(ABAddressBookRef addressBook) {
  delete addressBook;
}

ABRecordRef ABAddressBookGetPersonWithRecordID(ABAddressBookRef addressBook, ABRecordID recordID) {
  if (!addressBook) return nullptr;
  std::lock_guard guard(addressBook->lock);
  return personWithRecordID(addressBook, recordID);
}

std::vector<ABRecordRef> ABAddressBookCopyArrayOfAllPeople(ABAddressBookRef addressBook) {
  if (!addressBook) return {};
  std::lock_guard guard(addressBook->lock);
  std::vector<ABRecordID> ids;
  {
    Statement all(mainDatabase(addressBook), "SELECT ROWID FROM ABPerson ORDER BY ROWID");
    while (all.step()) ids.push_back(static_cast<ABRecordID>(all.integer(0)));
  }
  std::vector<ABRecordRef> people;
  people.reserve(ids.size());
  for (ABRecordID recordID : ids) {
    if (ABRecordRef person = personWithRecordID(addressBook, recordID)) people.push_back(person);
  }
  return people;
}

ABRecordID ABRecordGetRecordID(ABRecordRef record) {
  return record ? record->recordID : kABRecordInvalidID;
}

id ABRecordCopyValue(ABRecordRef record, ABPropertyID property) {
  if (!record) return nullptr;
  const std::optional<std::string>* value = nullptr;
  if (property == kABPersonFirstNameProperty) value = &record->first;
  if (property == kABPersonLastNameProperty) value = &record->last;
  if (!value || !*value) return nullptr;
  return NSString::stringWithUTF8String(**value);
}

bool ABPersonHasImageData(ABRecordRef person) {
  return ABPersonCopyImageData(person) != nullptr;
}

std::shared_ptr<NSData> ABPersonCopyImageData(ABRecordRef person) {
  if (!person) return nullptr;
  std::lock_guard guard(person->book->lock);
  if (auto full = imageData(person, kFullSizeSQL, false, 0)) return full;
  return imageData(person, kThumbnailSQL, true, kABPersonImageFormatThumbnail);
}

std::shared_ptr<NSData> ABPersonCopyImageDataWithFormat(ABRecordRef person,
                                                        ABPersonImageFormat format) {
  if (!person) return nullptr;
  std::lock_guard guard(person->book->lock);
  if (format == kABPersonImageFormatOriginalSize) return imageData(person, kFullSizeSQL, false, 0);
  return imageData(person, kThumbnailSQL, true, format);
}

std::vector<ABRecordRef> ABPersonCopyArrayOfAllLinkedPeople(ABRecordRef person) {
  if (!person) return {};
  ABAddressBookRef book = person->book;
  std::lock_guard guard(book->lock);
  if (person->personLink <= 0) return {person};
  std::vector<ABRecordID> ids;
  {
    Statement linked(mainDatabase(book),
                     "SELECT ROWID FROM ABPerson WHERE PersonLink = ? ORDER BY ROWID");
    linked.bind(1, person->personLink);
    while (linked.step()) ids.push_back(static_cast<ABRecordID>(linked.integer(0)));
  }
  std::vector<ABRecordRef> people;
  for (ABRecordID linkedID : ids) {
    if (ABRecordRef card = personWithRecordID(book, linkedID)) people.push_back(card);
  }
  if (people.empty()) people.push_back(person);
  return people;
}

std::optional<std::string> standin::addressBookUnreadableReason() {
  return addressbook::unreadableReason();
}

ABRecordRef ABCFindPersonMatchingPhoneNumber(ABAddressBookRef addressBook,
                                             const std::string& number, int, int) {
  if (!addressBook || isOverlong(number)) return nullptr;
  std::lock_guard guard(addressBook->lock);
  std::string key = ABPhoneLastFourKey(number, addressBook->region);
  if (key.empty()) return nullptr;
  ComparableNumber wanted(number, addressBook->region);
  sqlite3* db = mainDatabase(addressBook);

  std::vector<std::pair<ABRecordID, std::string>> candidates;
  Statement indexed(db,
                    "SELECT m.record_id, m.value FROM ABPhoneLastFour f "
                    "JOIN ABMultiValue m ON m.UID = f.multivalue_id "
                    "WHERE f.value = ? AND m.property = 3 ORDER BY m.record_id, m.UID");
  if (indexed.valid()) {
    indexed.bind(1, key);
    while (indexed.step()) {
      auto value = indexed.text(1);
      if (value && !isOverlong(*value)) {
        candidates.emplace_back(static_cast<ABRecordID>(indexed.integer(0)), *value);
      }
    }
  } else {
    // A book without the last-digits index (or without the property column): every value that
    // is no e-mail address is a candidate.
    Statement all(db, "SELECT record_id, value FROM ABMultiValue ORDER BY record_id");
    while (all.step()) {
      auto value = all.text(1);
      if (value && !isOverlong(*value) && value->find('@') == std::string::npos) {
        candidates.emplace_back(static_cast<ABRecordID>(all.integer(0)), *value);
      }
    }
  }
  for (const auto& [recordID, value] : candidates) {
    if (!sameNumber(wanted, ComparableNumber(value, addressBook->region))) continue;
    if (ABRecordRef person = personWithRecordID(addressBook, recordID)) return person;
  }
  return nullptr;
}
