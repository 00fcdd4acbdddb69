// Writes the address-book databases of a simulated phone, with the platform's schema, as the
// phone's own address book would keep them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "SamplePictures.h"
#include "addressbook/ABTypes.h"

struct sqlite3;
struct sqlite3_stmt;

namespace sample {

class AddressBookWriter {
 public:
  // Replaces both files under the device root (a real folder) with empty databases and starts
  // one transaction; nothing is visible until commit. Check ok() before use.
  AddressBookWriter(const std::string& root, std::string region);
  ~AddressBookWriter();
  AddressBookWriter(const AddressBookWriter&) = delete;
  AddressBookWriter& operator=(const AddressBookWriter&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

  // A link groups the cards of one person.
  int64_t addLink(const std::string& name);
  ABRecordID addPerson(const std::optional<std::string>& first,
                       const std::optional<std::string>& last, int64_t modificationDate,
                       int64_t link = -1);
  void addPhone(ABRecordID person, const std::string& value, const std::string& label);
  void addEmail(ABRecordID person, const std::string& value, const std::string& label);
  void addThumbnail(ABRecordID person, const Picture& picture);
  void addFullSizeImage(ABRecordID person, const Picture& picture);

  bool commit();

  // The device paths' real files under a root.
  static std::string databasePath(const std::string& root);
  static std::string imagesDatabasePath(const std::string& root);

 private:
  void addValue(ABRecordID person, int property, const std::string& value,
                const std::string& label);
  int64_t labelID(const std::string& label);
  sqlite3_stmt* prepare(const char* sql);
  bool run(sqlite3_stmt* statement);
  void fail(const std::string& what);

  std::string region_;
  sqlite3* db_ = nullptr;
  std::string error_;
  bool committed_ = false;
  int64_t identifier_ = 0;
  sqlite3_stmt* insertLink_ = nullptr;
  sqlite3_stmt* insertPerson_ = nullptr;
  sqlite3_stmt* insertValue_ = nullptr;
  sqlite3_stmt* insertLastFour_ = nullptr;
  sqlite3_stmt* insertLabel_ = nullptr;
  sqlite3_stmt* findLabel_ = nullptr;
  sqlite3_stmt* insertThumbnail_ = nullptr;
  sqlite3_stmt* insertFullSize_ = nullptr;
};

}  // namespace sample
