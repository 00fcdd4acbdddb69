#include "addressbook/ABSQLite.h"

#include <sys/stat.h>
#include <unicode/ustring.h>

#include <cerrno>
#include <mutex>

#include "addressbook/ABDatabase.h"
#include "foundation/Device.h"
#include "foundation/DeviceFiles.h"
#include "foundation/NSLog.h"

namespace addressbook {
namespace {

// The platform's own writers hold the files only briefly; a reader never waits long.
constexpr int kBusyTimeoutMilliseconds = 1000;

std::string fileName(sqlite3* db) {
  const char* name = db ? sqlite3_db_filename(db, "main") : nullptr;
  return name && *name ? name : "the address book";
}

std::string reason(sqlite3* db, int status) {
  int code = db ? sqlite3_extended_errcode(db) : status;
  if (code == SQLITE_READONLY_ROLLBACK || status == SQLITE_READONLY_ROLLBACK) {
    return "a writer died inside a transaction and left its rollback journal, which only a "
           "writer can roll back (the next edit of the book does)";
  }
  if (code == SQLITE_READONLY_DIRECTORY || code == SQLITE_READONLY_CANTINIT) {
    return "the book is in WAL mode, and its -wal and -shm files are missing from a folder this "
           "reader cannot write";
  }
  return db ? sqlite3_errmsg(db) : sqlite3_errstr(status);
}

bool fileMissing(const std::string& path) {
  struct stat info {};
  return !standin::statFile(path, &info) && errno == ENOENT;
}

// Opens as openReadOnly does, keeping SQLite's reason when the open fails.
sqlite3* open(const char* devicePath, std::string* why) {
  std::string path = fileSystemRepresentation(devicePath);
  sqlite3* db = nullptr;
  int status = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  if (status != SQLITE_OK) {
    if (why) *why = path + ": " + reason(db, status);
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, kBusyTimeoutMilliseconds);
  return db;
}

bool isUTF8(const std::string& value) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strFromUTF8(nullptr, 0, &length, value.data(), static_cast<int32_t>(value.size()), &status);
  return status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status);
}

}  // namespace

std::optional<std::string> columnText(sqlite3_stmt* statement, int column) {
  const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  if (!bytes) return std::nullopt;
  std::string value(bytes);
  if (!isUTF8(value)) return std::nullopt;
  return value;
}

bool isReadFailure(int status) {
  switch (status & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_NOMEM:
    case SQLITE_READONLY:
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_CANTOPEN:
    case SQLITE_PROTOCOL:
    case SQLITE_NOTADB:
      return true;
    default:
      return false;
  }
}

void logReadFailure(sqlite3* db, int status) {
  static std::mutex lock;
  static std::string last;
  std::string line = "AddressBook: cannot read " + fileName(db) + ": " + reason(db, status);
  std::lock_guard guard(lock);
  if (line == last) return;
  last = line;
  NSLogString(line);
}

sqlite3* openReadOnly(const char* devicePath) {
  std::string why;
  sqlite3* db = open(devicePath, &why);
  if (!db && !fileMissing(fileSystemRepresentation(devicePath))) {
    NSLogString("AddressBook: cannot read " + why);
  }
  return db;
}

std::optional<std::string> unreadableReason() {
  struct File {
    const char* devicePath;
    const char* tables;
  };
  for (const File& file : {File{kABDatabaseDevicePath,
                                "SELECT count(*) FROM ABPerson; SELECT count(*) FROM "
                                "ABMultiValue;"},
                           File{kABImagesDatabaseDevicePath,
                                "SELECT count(*) FROM ABThumbnailImage; SELECT "
                                "count(*) FROM ABFullSizeImage;"}}) {
    std::string path = fileSystemRepresentation(file.devicePath);
    if (fileMissing(path)) continue;
    std::string why;
    sqlite3* db = open(file.devicePath, &why);
    if (!db) return why;
    // The schema first (where a hot journal or a file of another kind shows), then the tables'
    // pages; a book without some of the tables still reads.
    int status = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (status == SQLITE_OK || !isReadFailure(status)) {
      status = sqlite3_exec(db, file.tables, nullptr, nullptr, nullptr);
    }
    std::optional<std::string> failure;
    if (isReadFailure(status)) failure = path + ": " + reason(db, status);
    sqlite3_close(db);
    if (failure) return failure;
  }
  return std::nullopt;
}

}  // namespace addressbook

bool ABDatabaseTextReadsBack(const std::string& text) {
  return text.size() < static_cast<std::size_t>(INT32_MAX) &&
         text.find('\0') == std::string::npos && addressbook::isUTF8(text);
}
