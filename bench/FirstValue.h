// The first column of the first row a query answers on a device's address-book database, for
// picking benchmark subjects out of generated books.
#pragma once

#include <sqlite3.h>

#include <string>

#include "AddressBookWriter.h"

inline std::string firstValue(const std::string& root, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(sample::AddressBookWriter::databasePath(root).c_str(), &db, SQLITE_OPEN_READONLY,
                  nullptr);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
  std::string value;
  if (sqlite3_step(statement) == SQLITE_ROW) {
    if (const unsigned char* text = sqlite3_column_text(statement, 0)) {
      value = reinterpret_cast<const char*>(text);
    }
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return value;
}
