// Writes the address-book databases of a simulated phone, with the phone's schema, as the phone's
// own address book fills them: labels, the local store, sort keys, dates.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "SamplePictures.h"
#include "addressbook/ABTypes.h"

struct sqlite3;
struct sqlite3_stmt;

namespace sample {

// What a card holds beyond its values and pictures. Text that is absent or empty is stored as
// no value (NULL), as the phone stores it.
struct PersonFields {
  std::optional<std::string> prefix, first, middle, last, suffix, nickname;
  std::optional<std::string> firstPhonetic, middlePhonetic, lastPhonetic;
  std::optional<std::string> organization, department, jobTitle, note;
  bool isOrganization = false;  // the card shows the organisation instead of a name
};

// A postal address's parts under the phone's keys ("Street", "City", "State", "ZIP", "Country",
// "CountryCode").
using AddressParts = std::vector<std::pair<std::string, std::string>>;

// The multi-value properties of the phone's schema that the writers fill.
inline constexpr int kABPersonAddressProperty = 5;
inline constexpr int kABPersonURLProperty = 22;

// One INSERT into a table, with the columns the table has of those asked for: a book written
// with fewer columns (an older device, another phone) takes what it can hold. A missing table
// makes every run a no-op.
class RowInsert {
 public:
  RowInsert() = default;
  RowInsert(sqlite3* db, const std::string& schema, const std::string& table,
            const std::vector<std::string>& columns);
  ~RowInsert();
  RowInsert(RowInsert&& other) noexcept;
  RowInsert& operator=(RowInsert&& other) noexcept;
  RowInsert(const RowInsert&) = delete;
  RowInsert& operator=(const RowInsert&) = delete;

  bool exists() const { return statement_ != nullptr; }
  bool failedToPrepare() const { return failed_; }
  void text(const char* column, const std::optional<std::string>& value);
  void integer(const char* column, int64_t value);
  void real(const char* column, double value);
  void blob(const char* column, const std::vector<uint8_t>& bytes);
  // Inserts the row; the new row's ROWID, 0 when the table is missing, -1 on failure.
  int64_t run();

 private:
  int index(const char* column) const;
  sqlite3* db_ = nullptr;
  sqlite3_stmt* statement_ = nullptr;
  std::map<std::string, int> indexes_;
  bool failed_ = false;
};

class AddressBookWriter {
 public:
  enum class Mode {
    Replace,  // both files made anew under the root (a real folder)
    Append,   // into the device's existing book, which must be there; nothing is created
  };
  // Starts one transaction; nothing is visible until commit. Check ok() before use. guidSeed
  // makes the records' guids, so that the same writes give the same files.
  AddressBookWriter(const std::string& root, std::string region, Mode mode = Mode::Replace,
                    uint64_t guidSeed = 1);
  ~AddressBookWriter();
  AddressBookWriter(const AddressBookWriter&) = delete;
  AddressBookWriter& operator=(const AddressBookWriter&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

  // A link groups the cards of one person.
  int64_t addLink(const std::string& name);
  ABRecordID addPerson(const std::optional<std::string>& first,
                       const std::optional<std::string>& last, double modificationDate,
                       int64_t link = -1);
  ABRecordID addPerson(const PersonFields& fields, double creationDate, double modificationDate,
                       int64_t link = -1);
  void addPhone(ABRecordID person, const std::string& value, const std::string& label);
  void addEmail(ABRecordID person, const std::string& value, const std::string& label);
  void addURL(ABRecordID person, const std::string& value, const std::string& label);
  void addAddress(ABRecordID person, const AddressParts& parts, const std::string& label);
  void addThumbnail(ABRecordID person, const Picture& picture);
  void addFullSizeImage(ABRecordID person, const Picture& picture);

  bool commit();

  // The device paths' real files under a root.
  static std::string databasePath(const std::string& root);
  static std::string imagesDatabasePath(const std::string& root);

 private:
  bool openReplacing(const std::string& main, const std::string& images);
  bool openAppending(const std::string& main, const std::string& images);
  void prepareInserts();
  int64_t addValue(ABRecordID person, int property, const std::optional<std::string>& value,
                   const std::string& label);
  int64_t rowOf(std::map<std::string, int64_t>& known, RowInsert& insert, sqlite3_stmt* find,
                const std::string& value);
  std::string nextGuid();
  bool exec(const char* sql);
  sqlite3_stmt* prepare(const char* sql);
  void fail(const std::string& what);

  std::string region_;
  sqlite3* db_ = nullptr;
  std::string error_;
  bool inTransaction_ = false;
  uint64_t guidState_;
  ABRecordID valuesOf_ = -1;
  std::map<int, int64_t> identifiers_;  // the next identifier of each property of valuesOf_
  std::map<std::string, int64_t> labels_, entryKeys_;
  RowInsert insertLink_, insertPerson_, insertValue_, insertEntry_, insertLastFour_, insertLabel_,
      insertEntryKey_, insertThumbnail_, insertFullSize_;
  sqlite3_stmt* findLabel_ = nullptr;
  sqlite3_stmt* findEntryKey_ = nullptr;
};

}  // namespace sample
