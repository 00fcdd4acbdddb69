#include "AddressBookWriter.h"

#include <sqlite3.h>

#include <filesystem>

#include "addressbook/ABAddressBook.h"
#include "addressbook/ABDatabase.h"
#include "foundation/DeviceFiles.h"

namespace sample {

std::string AddressBookWriter::databasePath(const std::string& root) {
  return root + kABDatabaseDevicePath;
}

std::string AddressBookWriter::imagesDatabasePath(const std::string& root) {
  return root + kABImagesDatabaseDevicePath;
}

AddressBookWriter::AddressBookWriter(const std::string& root, std::string region)
    : region_(std::move(region)) {
  std::string main = databasePath(root), images = imagesDatabasePath(root);
  standin::createFolders(std::filesystem::path(main).parent_path().string());
  for (const std::string& file : {main, images}) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) standin::removeFile(file + suffix);
  }
  if (sqlite3_open_v2(main.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    fail("cannot create " + main);
    return;
  }
  sqlite3_stmt* attach = prepare("ATTACH DATABASE ? AS images");
  if (!attach) return;
  sqlite3_bind_text(attach, 1, images.c_str(), -1, SQLITE_TRANSIENT);
  bool attached = run(attach);
  sqlite3_finalize(attach);
  if (!attached) return;
  // WAL mode, as the phone keeps its book: a reader never has to roll back what a killed writer
  // left. The files are written once and whole; a crash leaves nothing worth keeping anyway.
  if (sqlite3_exec(db_,
                   "PRAGMA main.journal_mode=WAL; PRAGMA images.journal_mode=WAL; "
                   "PRAGMA main.synchronous=OFF; PRAGMA images.synchronous=OFF; "
                   "PRAGMA main.cache_size=-65536; PRAGMA images.cache_size=-16384; BEGIN;",
                   nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_exec(db_, ABDatabaseSchemaSQL(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    fail("cannot create the schema");
    return;
  }
  insertLink_ = prepare("INSERT INTO ABPersonLink (name) VALUES (?)");
  insertPerson_ = prepare(
      "INSERT INTO ABPerson (First, Last, CreationDate, ModificationDate, PersonLink) "
      "VALUES (?, ?, ?, ?, ?)");
  insertValue_ = prepare(
      "INSERT INTO ABMultiValue (record_id, property, identifier, label, value) "
      "VALUES (?, ?, ?, ?, ?)");
  insertLastFour_ = prepare("INSERT INTO ABPhoneLastFour (multivalue_id, value) VALUES (?, ?)");
  insertLabel_ = prepare("INSERT INTO ABMultiValueLabel (value) VALUES (?)");
  findLabel_ = prepare("SELECT ROWID FROM ABMultiValueLabel WHERE value = ?");
  insertThumbnail_ = prepare(
      "INSERT INTO images.ABThumbnailImage (record_id, format, derived_from_format, width, "
      "height, data) VALUES (?, 0, 2, ?, ?, ?)");
  insertFullSize_ = prepare(
      "INSERT INTO images.ABFullSizeImage (record_id, width, height, data) VALUES (?, ?, ?, ?)");
}

AddressBookWriter::~AddressBookWriter() {
  for (sqlite3_stmt* statement : {insertLink_, insertPerson_, insertValue_, insertLastFour_,
                                  insertLabel_, findLabel_, insertThumbnail_, insertFullSize_}) {
    sqlite3_finalize(statement);
  }
  if (db_ && !committed_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(db_);
}

void AddressBookWriter::fail(const std::string& what) {
  if (!error_.empty()) return;
  error_ = what + (db_ ? std::string(": ") + sqlite3_errmsg(db_) : std::string());
}

sqlite3_stmt* AddressBookWriter::prepare(const char* sql) {
  sqlite3_stmt* statement = nullptr;
  if (!ok()) return nullptr;
  if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) {
    fail(std::string("cannot prepare ") + sql);
    sqlite3_finalize(statement);
    return nullptr;
  }
  return statement;
}

bool AddressBookWriter::run(sqlite3_stmt* statement) {
  if (!ok() || !statement) return false;
  int result = sqlite3_step(statement);
  sqlite3_reset(statement);
  sqlite3_clear_bindings(statement);
  if (result != SQLITE_DONE && result != SQLITE_ROW) {
    fail("cannot write");
    return false;
  }
  return true;
}

namespace {
void bindOptionalText(sqlite3_stmt* statement, int index, const std::optional<std::string>& text) {
  if (text) {
    sqlite3_bind_text(statement, index, text->data(), static_cast<int>(text->size()),
                      SQLITE_TRANSIENT);
  } else {
    sqlite3_bind_null(statement, index);
  }
}
}  // namespace

int64_t AddressBookWriter::addLink(const std::string& name) {
  if (!ok()) return -1;
  bindOptionalText(insertLink_, 1, name);
  return run(insertLink_) ? sqlite3_last_insert_rowid(db_) : -1;
}

ABRecordID AddressBookWriter::addPerson(const std::optional<std::string>& first,
                                        const std::optional<std::string>& last,
                                        int64_t modificationDate, int64_t link) {
  if (!ok()) return kABRecordInvalidID;
  bindOptionalText(insertPerson_, 1, first);
  bindOptionalText(insertPerson_, 2, last);
  sqlite3_bind_int64(insertPerson_, 3, modificationDate);
  sqlite3_bind_int64(insertPerson_, 4, modificationDate);
  sqlite3_bind_int64(insertPerson_, 5, link);
  return run(insertPerson_) ? static_cast<ABRecordID>(sqlite3_last_insert_rowid(db_))
                            : kABRecordInvalidID;
}

int64_t AddressBookWriter::labelID(const std::string& label) {
  bindOptionalText(findLabel_, 1, label);
  int64_t found = -1;
  if (ok() && sqlite3_step(findLabel_) == SQLITE_ROW) found = sqlite3_column_int64(findLabel_, 0);
  sqlite3_reset(findLabel_);
  sqlite3_clear_bindings(findLabel_);
  if (found > 0) return found;
  bindOptionalText(insertLabel_, 1, label);
  return run(insertLabel_) ? sqlite3_last_insert_rowid(db_) : -1;
}

void AddressBookWriter::addValue(ABRecordID person, int property, const std::string& value,
                                 const std::string& label) {
  if (!ok()) return;
  int64_t labelRow = labelID(label);
  sqlite3_bind_int64(insertValue_, 1, person);
  sqlite3_bind_int(insertValue_, 2, property);
  sqlite3_bind_int64(insertValue_, 3, identifier_++);
  sqlite3_bind_int64(insertValue_, 4, labelRow);
  bindOptionalText(insertValue_, 5, value);
  if (!run(insertValue_) || property != kABPersonPhoneProperty) return;
  sqlite3_bind_int64(insertLastFour_, 1, sqlite3_last_insert_rowid(db_));
  bindOptionalText(insertLastFour_, 2, ABPhoneLastFourKey(value, region_));
  run(insertLastFour_);
}

void AddressBookWriter::addPhone(ABRecordID person, const std::string& value,
                                 const std::string& label) {
  addValue(person, kABPersonPhoneProperty, value, label);
}

void AddressBookWriter::addEmail(ABRecordID person, const std::string& value,
                                 const std::string& label) {
  addValue(person, kABPersonEmailProperty, value, label);
}

void AddressBookWriter::addThumbnail(ABRecordID person, const Picture& picture) {
  if (!ok()) return;
  sqlite3_bind_int64(insertThumbnail_, 1, person);
  sqlite3_bind_int(insertThumbnail_, 2, picture.width);
  sqlite3_bind_int(insertThumbnail_, 3, picture.height);
  sqlite3_bind_blob(insertThumbnail_, 4, picture.bytes.data(),
                    static_cast<int>(picture.bytes.size()), SQLITE_TRANSIENT);
  run(insertThumbnail_);
}

void AddressBookWriter::addFullSizeImage(ABRecordID person, const Picture& picture) {
  if (!ok()) return;
  sqlite3_bind_int64(insertFullSize_, 1, person);
  sqlite3_bind_int(insertFullSize_, 2, picture.width);
  sqlite3_bind_int(insertFullSize_, 3, picture.height);
  sqlite3_bind_blob(insertFullSize_, 4, picture.bytes.data(),
                    static_cast<int>(picture.bytes.size()), SQLITE_TRANSIENT);
  run(insertFullSize_);
}

bool AddressBookWriter::commit() {
  if (!ok()) return false;
  if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    fail("cannot commit");
    return false;
  }
  committed_ = true;
  return true;
}

}  // namespace sample
