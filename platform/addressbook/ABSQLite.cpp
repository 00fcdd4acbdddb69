#include "addressbook/ABSQLite.h"

#include "foundation/Device.h"

namespace addressbook {

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
