#include "addressbook/ABSQLite.h"

#include <unicode/ustring.h>

#include "foundation/Device.h"

namespace addressbook {

std::optional<std::string> columnText(sqlite3_stmt* statement, int column) {
  const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  if (!bytes) return std::nullopt;
  std::string value(bytes);
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strFromUTF8(nullptr, 0, &length, value.data(), static_cast<int32_t>(value.size()), &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
  return value;
}

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

}  // namespace addressbook
