// The package's own reading of the address book: the party's card by number or e-mail address,
// its name and the label of the matching value.
#include <sqlite3.h>

#include <algorithm>
#include <cctype>

#include "addressbook/ABAddressBook.h"
#include "addressbook/ABDatabase.h"
#include "addressbook/ABSQLite.h"
#include "apps/CallBarAddressBook.h"
#include "apps/LayoutDirection.h"
#include "foundation/Device.h"

namespace callbar {
namespace {

// Addresses longer than any real one are not looked up.
constexpr std::size_t kLongestAddress = 256;

// Read-only, as every reader of the book; a file that cannot be read is logged.
class Database {
 public:
  Database() : db_(addressbook::openReadOnly(kABDatabaseDevicePath)) {}
  ~Database() { sqlite3_close(db_); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

std::string text(sqlite3_stmt* statement, int column) {
  const unsigned char* value = sqlite3_column_text(statement, column);
  return value ? reinterpret_cast<const char*>(value) : "";
}

std::string digits(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (c >= '0' && c <= '9') out += c;
  }
  return out;
}

// The trailing digits that identify a number whatever its country prefix.
bool sameNumber(const std::string& a, const std::string& b) {
  std::string x = digits(a), y = digits(b);
  std::size_t n = std::min<std::size_t>({x.size(), y.size(), 7});
  return n >= 4 && x.compare(x.size() - n, n, y, y.size() - n, n) == 0;
}

bool sameAddress(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// "_$!<Mobile>!$_" is how the book keeps its own labels; custom labels are kept as typed.
std::string readableLabel(const std::string& stored) {
  const std::string open = "_$!<", close = ">!$_";
  if (stored.size() > open.size() + close.size() && stored.rfind(open, 0) == 0 &&
      stored.compare(stored.size() - close.size(), close.size(), close) == 0) {
    std::string inner = stored.substr(open.size(), stored.size() - open.size() - close.size());
    std::transform(inner.begin(), inner.end(), inner.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return inner;
  }
  return stored;
}

ABRecordID recordWithEmail(const std::string& address) {
  Database db;
  sqlite3_stmt* statement = nullptr;
  int status = SQLITE_CANTOPEN;
  if (!db.get() ||
      (status = sqlite3_prepare_v2(db.get(),
                                   "SELECT record_id FROM ABMultiValue WHERE property = 4 AND "
                                   "value = ? COLLATE NOCASE ORDER BY record_id LIMIT 1",
                                   -1, &statement, nullptr)) != SQLITE_OK) {
    if (db.get() && addressbook::isReadFailure(status))
      addressbook::logReadFailure(db.get(), status);
    sqlite3_finalize(statement);
    return kABRecordInvalidID;
  }
  sqlite3_bind_text(statement, 1, address.c_str(), -1, SQLITE_TRANSIENT);
  ABRecordID found = kABRecordInvalidID;
  status = sqlite3_step(statement);
  if (status == SQLITE_ROW) {
    found = sqlite3_column_int(statement, 0);
  } else if (status != SQLITE_DONE) {
    addressbook::logReadFailure(db.get(), status);
  }
  sqlite3_finalize(statement);
  return found;
}

}  // namespace

bool isEmailAddress(const std::string& address) {
  return address.find('@') != std::string::npos;
}

ABRecordRef findPerson(ABAddressBookRef book, const std::string& address) {
  if (!book || address.empty() || address.size() > kLongestAddress) return nullptr;
  if (!isEmailAddress(address)) return ABCFindPersonMatchingPhoneNumber(book, address, 0, 0);
  ABRecordID id = recordWithEmail(address);
  return id > 0 ? ABAddressBookGetPersonWithRecordID(book, id) : nullptr;
}

std::string personName(ABRecordRef person) {
  if (!person) return "";
  auto first = stringValue(ABRecordCopyValue(person, kABPersonFirstNameProperty));
  auto last = stringValue(ABRecordCopyValue(person, kABPersonLastNameProperty));
  std::string name = first.value_or("");
  if (last && !last->empty()) {
    if (!name.empty()) name += ' ';
    name += *last;
  }
  return name;
}

std::string addressLabel(ABRecordRef person, const std::string& address) {
  ABRecordID id = ABRecordGetRecordID(person);
  if (id <= 0 || address.size() > kLongestAddress) return "";
  Database db;
  sqlite3_stmt* statement = nullptr;
  if (!db.get() || sqlite3_prepare_v2(db.get(),
                                      "SELECT l.value, m.value FROM ABMultiValue m "
                                      "LEFT JOIN ABMultiValueLabel l ON l.ROWID = m.label "
                                      "WHERE m.record_id = ? AND m.property = ? ORDER BY m.UID",
                                      -1, &statement, nullptr) != SQLITE_OK) {
    sqlite3_finalize(statement);
    return "";
  }
  bool email = isEmailAddress(address);
  sqlite3_bind_int(statement, 1, id);
  sqlite3_bind_int(statement, 2, email ? kABPersonEmailProperty : kABPersonPhoneProperty);
  std::string label;
  while (label.empty() && sqlite3_step(statement) == SQLITE_ROW) {
    std::string value = text(statement, 1);
    if (email ? sameAddress(value, address) : sameNumber(value, address)) {
      label = readableLabel(text(statement, 0));
    }
  }
  sqlite3_finalize(statement);
  return label;
}

std::string displayAddress(const std::string& address) {
  if (isEmailAddress(address) || address.size() > kLongestAddress) return address;
  std::string number = ABPhoneFormatting::abCopyPhoneNumberFromString(address).value_or(address);
  // A number keeps its left-to-right order in a right-to-left row (left-to-right embedding).
  return apps::rightToLeft() ? "\u202A" + number + "\u202C" : number;
}

}  // namespace callbar
