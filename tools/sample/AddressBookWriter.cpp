#include "AddressBookWriter.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <cstdio>
#include <filesystem>

#include "addressbook/ABAddressBook.h"
#include "addressbook/ABDatabase.h"
#include "foundation/DeviceFiles.h"

namespace sample {

namespace {

constexpr int kBusyTimeoutMilliseconds = 2000;

std::optional<std::string> nonEmpty(const std::optional<std::string>& text) {
  if (!text || text->empty()) return std::nullopt;
  return text;
}

// The phone sorts by case-folded text and files a card under the first letter of it, or "#".
std::string sortKey(const std::optional<std::string>& a, const std::optional<std::string>& b) {
  std::string joined = a.value_or("");
  if (b && !b->empty()) joined += (joined.empty() ? "" : " ") + *b;
  std::string folded;
  icu::UnicodeString::fromUTF8(joined).foldCase().toUTF8String(folded);
  return folded;
}

std::string sortSection(const std::string& key) {
  icu::UnicodeString text = icu::UnicodeString::fromUTF8(key);
  if (text.isEmpty()) return "#";
  UChar32 first = text.char32At(0);
  if (!u_isalpha(first)) return "#";
  std::string section;
  icu::UnicodeString(u_toupper(first)).toUTF8String(section);
  return section;
}

bool isRegularFile(const std::string& path) {
  struct stat info {};
  return standin::statFile(path, &info) && S_ISREG(info.st_mode);
}

}  // namespace

RowInsert::RowInsert(sqlite3* db, const std::string& schema, const std::string& table,
                     const std::vector<std::string>& columns)
    : db_(db) {
  sqlite3_stmt* info = nullptr;
  std::string pragma = "PRAGMA " + schema + ".table_info(" + table + ")";
  std::vector<std::string> present;
  if (sqlite3_prepare_v2(db, pragma.c_str(), -1, &info, nullptr) == SQLITE_OK) {
    while (sqlite3_step(info) == SQLITE_ROW) {
      const unsigned char* name = sqlite3_column_text(info, 1);
      std::string column = name ? reinterpret_cast<const char*>(name) : "";
      for (const std::string& wanted : columns) {
        if (sqlite3_stricmp(wanted.c_str(), column.c_str()) == 0) present.push_back(wanted);
      }
    }
  }
  sqlite3_finalize(info);
  if (present.empty()) return;
  std::string names, values;
  for (std::size_t i = 0; i < present.size(); ++i) {
    names += (i ? ", \"" : "\"") + present[i] + "\"";
    values += i ? ", ?" : "?";
    indexes_[present[i]] = static_cast<int>(i + 1);
  }
  std::string sql =
      "INSERT INTO " + schema + "." + table + " (" + names + ") VALUES (" + values + ")";
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement_, nullptr) != SQLITE_OK) {
    sqlite3_finalize(statement_);
    statement_ = nullptr;
    failed_ = true;
  }
}

RowInsert::~RowInsert() {
  sqlite3_finalize(statement_);
}

RowInsert::RowInsert(RowInsert&& other) noexcept {
  *this = std::move(other);
}

RowInsert& RowInsert::operator=(RowInsert&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(statement_);
    db_ = other.db_;
    statement_ = std::exchange(other.statement_, nullptr);
    indexes_ = std::move(other.indexes_);
    failed_ = other.failed_;
  }
  return *this;
}

int RowInsert::index(const char* column) const {
  auto found = indexes_.find(column);
  return found == indexes_.end() ? 0 : found->second;
}

void RowInsert::text(const char* column, const std::optional<std::string>& value) {
  if (int i = index(column)) {
    if (value) {
      sqlite3_bind_text(statement_, i, value->data(), static_cast<int>(value->size()),
                        SQLITE_TRANSIENT);
    } else {
      sqlite3_bind_null(statement_, i);
    }
  }
}

void RowInsert::integer(const char* column, int64_t value) {
  if (int i = index(column)) sqlite3_bind_int64(statement_, i, value);
}

void RowInsert::real(const char* column, double value) {
  if (int i = index(column)) sqlite3_bind_double(statement_, i, value);
}

void RowInsert::blob(const char* column, const std::vector<uint8_t>& bytes) {
  if (int i = index(column)) {
    sqlite3_bind_blob(statement_, i, bytes.data(), static_cast<int>(bytes.size()),
                      SQLITE_TRANSIENT);
  }
}

int64_t RowInsert::run() {
  if (!statement_) return 0;
  int result = sqlite3_step(statement_);
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
  return result == SQLITE_DONE ? sqlite3_last_insert_rowid(db_) : -1;
}

std::string AddressBookWriter::databasePath(const std::string& root) {
  return root + kABDatabaseDevicePath;
}

std::string AddressBookWriter::imagesDatabasePath(const std::string& root) {
  return root + kABImagesDatabaseDevicePath;
}

AddressBookWriter::AddressBookWriter(const std::string& root, std::string region, Mode mode,
                                     uint64_t guidSeed)
    : region_(std::move(region)), guidState_(guidSeed) {
  std::string main = databasePath(root), images = imagesDatabasePath(root);
  if (mode == Mode::Replace ? openReplacing(main, images) : openAppending(main, images)) {
    prepareInserts();
  }
}

bool AddressBookWriter::openReplacing(const std::string& main, const std::string& images) {
  standin::createFolders(std::filesystem::path(main).parent_path().string());
  for (const std::string& file : {main, images}) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) standin::removeFile(file + suffix);
  }
  if (sqlite3_open_v2(main.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    fail("cannot create " + main);
    return false;
  }
  sqlite3_stmt* attach = prepare("ATTACH DATABASE ? AS images");
  if (!attach) return false;
  sqlite3_bind_text(attach, 1, images.c_str(), -1, SQLITE_TRANSIENT);
  int attached = sqlite3_step(attach);
  sqlite3_finalize(attach);
  if (attached != SQLITE_DONE) {
    fail("cannot create " + images);
    return false;
  }
  // WAL mode, as the phone keeps its book: a reader never has to roll back what a killed writer
  // left. The files are written once and whole; a crash leaves nothing worth keeping anyway.
  if (!exec("PRAGMA main.journal_mode=WAL; PRAGMA images.journal_mode=WAL; "
            "PRAGMA main.synchronous=OFF; PRAGMA images.synchronous=OFF; "
            "PRAGMA main.cache_size=-65536; PRAGMA images.cache_size=-16384; BEGIN;")) {
    return false;
  }
  inTransaction_ = true;
  if (sqlite3_exec(db_, ABDatabaseSchemaSQL(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    fail("cannot create the schema");
    return false;
  }
  return true;
}

// Both files must be there; opening a book still in rollback mode rolls back what a killed
// writer left, then switches it to WAL, as the tool's other edits do.
bool AddressBookWriter::openAppending(const std::string& main, const std::string& images) {
  if (!isRegularFile(main) || !isRegularFile(images)) {
    error_ = "the device has no address book";
    return false;
  }
  if (sqlite3_open_v2(main.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    fail("cannot open the address book");
    return false;
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMilliseconds);
  sqlite3_stmt* attach = prepare("ATTACH DATABASE ? AS images");
  if (!attach) return false;
  sqlite3_bind_text(attach, 1, images.c_str(), -1, SQLITE_TRANSIENT);
  int attached = sqlite3_step(attach);
  sqlite3_finalize(attach);
  if (attached != SQLITE_DONE) {
    fail("cannot open the address book's pictures");
    return false;
  }
  for (const char* sql : {"PRAGMA main.journal_mode=WAL", "PRAGMA images.journal_mode=WAL"}) {
    sqlite3_stmt* mode = prepare(sql);
    if (!mode) return false;
    int status = sqlite3_step(mode);
    const unsigned char* answer = status == SQLITE_ROW ? sqlite3_column_text(mode, 0) : nullptr;
    bool wal = answer && std::string(reinterpret_cast<const char*>(answer)) == "wal";
    sqlite3_finalize(mode);
    if (!wal) {
      fail("cannot put the address book in WAL mode");
      return false;
    }
  }
  if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
    fail("the address book is busy");
    return false;
  }
  inTransaction_ = true;
  return true;
}

void AddressBookWriter::prepareInserts() {
  insertLink_ = RowInsert(db_, "main", "ABPersonLink", {"name"});
  insertPerson_ = RowInsert(db_, "main", "ABPerson",
                            {"Prefix",
                             "First",
                             "Middle",
                             "Last",
                             "Suffix",
                             "Nickname",
                             "FirstPhonetic",
                             "MiddlePhonetic",
                             "LastPhonetic",
                             "Organization",
                             "Department",
                             "JobTitle",
                             "Note",
                             "Kind",
                             "FirstSort",
                             "LastSort",
                             "FirstSortSection",
                             "LastSortSection",
                             "CreationDate",
                             "ModificationDate",
                             "StoreID",
                             "PersonLink",
                             "guid"});
  insertValue_ = RowInsert(db_, "main", "ABMultiValue",
                           {"record_id", "property", "identifier", "label", "value", "guid"});
  insertEntry_ = RowInsert(db_, "main", "ABMultiValueEntry", {"parent_id", "key", "value"});
  insertLastFour_ = RowInsert(db_, "main", "ABPhoneLastFour", {"multivalue_id", "value"});
  insertLabel_ = RowInsert(db_, "main", "ABMultiValueLabel", {"value"});
  insertEntryKey_ = RowInsert(db_, "main", "ABMultiValueEntryKey", {"value"});
  insertThumbnail_ =
      RowInsert(db_, "images", "ABThumbnailImage",
                {"record_id", "format", "derived_from_format", "width", "height", "left", "top",
                 "right", "bottom", "crop_left", "crop_right", "crop_top", "crop_bottom", "data"});
  insertFullSize_ = RowInsert(
      db_, "images", "ABFullSizeImage",
      {"record_id", "width", "height", "crop_x", "crop_y", "crop_width", "crop_height", "data"});
  for (const RowInsert* insert :
       {&insertLink_, &insertPerson_, &insertValue_, &insertEntry_, &insertLastFour_, &insertLabel_,
        &insertEntryKey_, &insertThumbnail_, &insertFullSize_}) {
    if (insert->failedToPrepare()) return fail("the address book is not one this tool can write");
  }
  if (!insertPerson_.exists()) return fail("the address book has no table of people");
  // Tables an older book may lack answer "no such table": no row is found, and one is added.
  sqlite3_prepare_v2(db_, "SELECT ROWID FROM ABMultiValueLabel WHERE value = ?", -1, &findLabel_,
                     nullptr);
  sqlite3_prepare_v2(db_, "SELECT ROWID FROM ABMultiValueEntryKey WHERE value = ?", -1,
                     &findEntryKey_, nullptr);
}

AddressBookWriter::~AddressBookWriter() {
  sqlite3_finalize(findLabel_);
  sqlite3_finalize(findEntryKey_);
  for (RowInsert* insert :
       {&insertLink_, &insertPerson_, &insertValue_, &insertEntry_, &insertLastFour_, &insertLabel_,
        &insertEntryKey_, &insertThumbnail_, &insertFullSize_}) {
    *insert = RowInsert();
  }
  if (db_ && inTransaction_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(db_);
}

void AddressBookWriter::fail(const std::string& what) {
  if (!error_.empty()) return;
  error_ = what + (db_ ? std::string(": ") + sqlite3_errmsg(db_) : std::string());
}

bool AddressBookWriter::exec(const char* sql) {
  if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
  fail(std::string("cannot run ") + sql);
  return false;
}

sqlite3_stmt* AddressBookWriter::prepare(const char* sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) {
    fail(std::string("cannot prepare ") + sql);
    sqlite3_finalize(statement);
    return nullptr;
  }
  return statement;
}

// A UUID's text, as the phone gives each record and value, from the writer's own sequence.
std::string AddressBookWriter::nextGuid() {
  auto next = [this] {
    uint64_t z = (guidState_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  };
  uint64_t high = next(), low = next();
  high = (high & ~0xF000ULL) | 0x4000ULL;  // version 4
  low = (low & ~(3ULL << 62)) | (2ULL << 62);
  char text[40];
  std::snprintf(text, sizeof text, "%08llX-%04llX-%04llX-%04llX-%012llX",
                static_cast<unsigned long long>(high >> 32),
                static_cast<unsigned long long>((high >> 16) & 0xFFFF),
                static_cast<unsigned long long>(high & 0xFFFF),
                static_cast<unsigned long long>(low >> 48),
                static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFULL));
  return text;
}

int64_t AddressBookWriter::addLink(const std::string& name) {
  if (!ok()) return -1;
  insertLink_.text("name", name);
  int64_t row = insertLink_.run();
  if (row < 0) fail("cannot write");
  return row > 0 ? row : -1;
}

ABRecordID AddressBookWriter::addPerson(const std::optional<std::string>& first,
                                        const std::optional<std::string>& last,
                                        double modificationDate, int64_t link) {
  PersonFields fields;
  fields.first = first;
  fields.last = last;
  return addPerson(fields, modificationDate, modificationDate, link);
}

ABRecordID AddressBookWriter::addPerson(const PersonFields& fields, double creationDate,
                                        double modificationDate, int64_t link) {
  if (!ok()) return kABRecordInvalidID;
  RowInsert& row = insertPerson_;
  auto first = nonEmpty(fields.first), last = nonEmpty(fields.last);
  auto organization = nonEmpty(fields.organization);
  bool named = first || last;
  std::string firstSort = named ? sortKey(first, last) : sortKey(organization, std::nullopt);
  std::string lastSort = named ? sortKey(last, first) : firstSort;
  row.text("Prefix", nonEmpty(fields.prefix));
  row.text("First", first);
  row.text("Middle", nonEmpty(fields.middle));
  row.text("Last", last);
  row.text("Suffix", nonEmpty(fields.suffix));
  row.text("Nickname", nonEmpty(fields.nickname));
  row.text("FirstPhonetic", nonEmpty(fields.firstPhonetic));
  row.text("MiddlePhonetic", nonEmpty(fields.middlePhonetic));
  row.text("LastPhonetic", nonEmpty(fields.lastPhonetic));
  row.text("Organization", organization);
  row.text("Department", nonEmpty(fields.department));
  row.text("JobTitle", nonEmpty(fields.jobTitle));
  row.text("Note", nonEmpty(fields.note));
  row.integer("Kind", fields.isOrganization ? 1 : 0);
  row.text("FirstSort", firstSort);
  row.text("LastSort", lastSort);
  row.text("FirstSortSection", sortSection(firstSort));
  row.text("LastSortSection", sortSection(lastSort));
  // Whole seconds stay integers, so that the files of a sample device are as before.
  auto date = [&row](const char* column, double value) {
    if (value == static_cast<double>(static_cast<int64_t>(value))) {
      row.integer(column, static_cast<int64_t>(value));
    } else {
      row.real(column, value);
    }
  };
  date("CreationDate", creationDate);
  date("ModificationDate", modificationDate);
  row.integer("StoreID", 0);
  row.integer("PersonLink", link);
  row.text("guid", nextGuid());
  int64_t id = row.run();
  if (id <= 0) {
    fail("cannot write");
    return kABRecordInvalidID;
  }
  valuesOf_ = static_cast<ABRecordID>(id);
  identifiers_.clear();
  return valuesOf_;
}

int64_t AddressBookWriter::rowOf(std::map<std::string, int64_t>& known, RowInsert& insert,
                                 sqlite3_stmt* find, const std::string& value) {
  auto cached = known.find(value);
  if (cached != known.end()) return cached->second;
  int64_t found = -1;
  if (find) {
    sqlite3_bind_text(find, 1, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(find) == SQLITE_ROW) found = sqlite3_column_int64(find, 0);
    sqlite3_reset(find);
    sqlite3_clear_bindings(find);
  }
  if (found <= 0) {
    insert.text("value", value);
    found = insert.run();
    if (found < 0) fail("cannot write");
  }
  if (found > 0) known[value] = found;
  return found;
}

int64_t AddressBookWriter::addValue(ABRecordID person, int property,
                                    const std::optional<std::string>& value,
                                    const std::string& label) {
  if (!ok()) return -1;
  if (person != valuesOf_) {
    valuesOf_ = person;
    identifiers_.clear();
  }
  int64_t labelRow = rowOf(labels_, insertLabel_, findLabel_, label);
  insertValue_.integer("record_id", person);
  insertValue_.integer("property", property);
  insertValue_.integer("identifier", identifiers_[property]++);
  insertValue_.integer("label", labelRow);
  insertValue_.text("value", value);
  insertValue_.text("guid", nextGuid());
  int64_t row = insertValue_.run();
  if (row < 0) fail("cannot write");
  return row;
}

void AddressBookWriter::addPhone(ABRecordID person, const std::string& value,
                                 const std::string& label) {
  int64_t row = addValue(person, kABPersonPhoneProperty, value, label);
  if (row <= 0) return;
  insertLastFour_.integer("multivalue_id", row);
  insertLastFour_.text("value", ABPhoneLastFourKey(value, region_));
  if (insertLastFour_.run() < 0) fail("cannot write");
}

void AddressBookWriter::addEmail(ABRecordID person, const std::string& value,
                                 const std::string& label) {
  addValue(person, kABPersonEmailProperty, value, label);
}

void AddressBookWriter::addURL(ABRecordID person, const std::string& value,
                               const std::string& label) {
  addValue(person, kABPersonURLProperty, value, label);
}

void AddressBookWriter::addAddress(ABRecordID person, const AddressParts& parts,
                                   const std::string& label) {
  if (!insertEntry_.exists()) return;
  int64_t row = addValue(person, kABPersonAddressProperty, std::nullopt, label);
  if (row <= 0) return;
  for (const auto& [key, value] : parts) {
    insertEntry_.integer("parent_id", row);
    insertEntry_.integer("key", rowOf(entryKeys_, insertEntryKey_, findEntryKey_, key));
    insertEntry_.text("value", value);
    if (insertEntry_.run() < 0) return fail("cannot write");
  }
}

void AddressBookWriter::addThumbnail(ABRecordID person, const Picture& picture) {
  if (!ok()) return;
  RowInsert& row = insertThumbnail_;
  row.integer("record_id", person);
  row.integer("format", 0);
  row.integer("derived_from_format", 2);
  row.integer("width", picture.width);
  row.integer("height", picture.height);
  row.integer("left", 0);
  row.integer("top", 0);
  row.integer("right", picture.width);
  row.integer("bottom", picture.height);
  row.blob("data", picture.bytes);
  if (row.run() < 0) fail("cannot write");
}

void AddressBookWriter::addFullSizeImage(ABRecordID person, const Picture& picture) {
  if (!ok()) return;
  RowInsert& row = insertFullSize_;
  row.integer("record_id", person);
  row.integer("width", picture.width);
  row.integer("height", picture.height);
  row.integer("crop_x", 0);
  row.integer("crop_y", 0);
  row.integer("crop_width", picture.width);
  row.integer("crop_height", picture.height);
  row.blob("data", picture.bytes);
  if (row.run() < 0) fail("cannot write");
}

bool AddressBookWriter::commit() {
  if (!ok()) return false;
  if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    fail("cannot commit");
    return false;
  }
  inTransaction_ = false;
  return true;
}

}  // namespace sample
