#include "addressbook/ABAddressBook.h"

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>
#include <sqlite3.h>
#include <unicode/ustring.h>

#include <mutex>
#include <unordered_map>

#include "addressbook/ABDatabase.h"
#include "foundation/Device.h"

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

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

// A prepared statement that finalizes itself; an invalid one steps to nothing.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    if (db && sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
      sqlite3_finalize(stmt_);
      stmt_ = nullptr;
    }
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool valid() const { return stmt_ != nullptr; }
  void bind(int index, int64_t value) {
    if (stmt_) sqlite3_bind_int64(stmt_, index, value);
  }
  void bind(int index, const std::string& value) {
    if (stmt_)
      sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()),
                        SQLITE_TRANSIENT);
  }
  bool step() { return stmt_ && sqlite3_step(stmt_) == SQLITE_ROW; }
  int64_t integer(int column) { return sqlite3_column_int64(stmt_, column); }
  bool isNull(int column) { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
  // Text as a string object would hold it: up to the first NUL, and nothing when NULL or not
  // valid UTF-8.
  std::optional<std::string> text(int column) {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (!bytes) return std::nullopt;
    std::string value(bytes);
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, value.data(), static_cast<int32_t>(value.size()), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
    return value;
  }
  std::shared_ptr<NSData> blob(int column) {
    const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, column));
    int length = sqlite3_column_bytes(stmt_, column);
    if (!bytes || length < 1) return nullptr;
    return make<NSData>(std::vector<uint8_t>(bytes, bytes + length));
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

sqlite3* openReadOnly(const char* devicePath) {
  std::string path = fileSystemRepresentation(devicePath);
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return nullptr;
  }
  // The platform's own writers hold the files only briefly.
  sqlite3_busy_timeout(db, 250);
  return db;
}

// Connections are made on first use, so a book made before the files exist still finds them.
sqlite3* mainDatabase(ABAddressBookRef book) {
  if (!book->main) book->main = openReadOnly(kABDatabaseDevicePath);
  return book->main;
}
sqlite3* imagesDatabase(ABAddressBookRef book) {
  if (!book->images) book->images = openReadOnly(kABImagesDatabaseDevicePath);
  return book->images;
}

std::string asciiDigits(const std::string& text) {
  std::string digits;
  for (char c : text) {
    if (c >= '0' && c <= '9') digits += c;
  }
  return digits;
}

std::string lastFour(const std::string& digits) {
  return digits.size() <= 4 ? digits : digits.substr(digits.size() - 4);
}

bool isOverlong(const std::string& text) {
  return text.size() > kABPhoneNumberMaxLength;
}

// Overlong text is refused here, before the parser sees it.
bool parseNumber(const std::string& text, const std::string& region, PhoneNumber* number) {
  if (isOverlong(text)) return false;
  return PhoneNumberUtil::GetInstance()->Parse(text, region, number) ==
         PhoneNumberUtil::NO_PARSING_ERROR;
}

// One side of a comparison: the number as parsed, or its plain digits when it does not parse.
struct ComparableNumber {
  ComparableNumber(const std::string& text, const std::string& region)
      : number(), parsed(parseNumber(text, region, &number)), digits(asciiDigits(text)) {}
  PhoneNumber number;  // before parsed: the parse writes into it
  bool parsed;
  std::string digits;
};

bool sameNumber(const ComparableNumber& a, const ComparableNumber& b) {
  if (a.parsed && b.parsed) {
    auto* util = PhoneNumberUtil::GetInstance();
    switch (util->IsNumberMatch(a.number, b.number)) {
      case PhoneNumberUtil::EXACT_MATCH:
      case PhoneNumberUtil::NSN_MATCH:
        return true;
      case PhoneNumberUtil::SHORT_NSN_MATCH: {
        // A local number without its area code still names the same line; a mere tail of a
        // few digits does not.
        std::string nsnA, nsnB;
        util->GetNationalSignificantNumber(a.number, &nsnA);
        util->GetNationalSignificantNumber(b.number, &nsnB);
        return std::min(nsnA.size(), nsnB.size()) >= 7;
      }
      default:
        return false;
    }
  }
  return !a.digits.empty() && a.digits == b.digits;
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
  return statement.step() ? statement.blob(0) : nullptr;
}

constexpr const char* kThumbnailSQL =
    "SELECT data FROM ABThumbnailImage WHERE record_id = ? AND format = ? AND data IS NOT NULL";
constexpr const char* kFullSizeSQL =
    "SELECT data FROM ABFullSizeImage WHERE record_id = ? AND data IS NOT NULL";

}  // namespace

std::string ABPhoneLastFourKey(const std::string& number, const std::string& region) {
  PhoneNumber parsed;
  if (parseNumber(number, region, &parsed)) {
    std::string nsn;
    PhoneNumberUtil::GetInstance()->GetNationalSignificantNumber(parsed, &nsn);
    if (!nsn.empty()) return lastFour(nsn);
  }
  return lastFour(asciiDigits(number));
}

ABAddressBookRef ABAddressBookCreate() {
  auto* book = new __ABAddressBook();
  book->region = sim::deviceProfile().region;
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

SIM_DEFINE_CLASS(ABPhoneFormatting, NSObject)

ABPhoneFormatting::ABPhoneFormatting() : NSObject(class_()) {}

std::optional<std::string> ABPhoneFormatting::abCopyPhoneNumberFromString(
    const std::optional<std::string>& number) {
  if (!number) return std::nullopt;
  const std::string& region = sim::deviceProfile().region;
  PhoneNumber parsed;
  if (!parseNumber(*number, region, &parsed)) return number;
  auto* util = PhoneNumberUtil::GetInstance();
  bool domestic = number->find('+') == std::string::npos &&
                  parsed.country_code() == util->GetCountryCodeForRegion(region);
  std::string formatted;
  util->Format(parsed, domestic ? PhoneNumberUtil::NATIONAL : PhoneNumberUtil::INTERNATIONAL,
               &formatted);
  return formatted;
}
