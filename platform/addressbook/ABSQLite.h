// The address book's SQLite access: read-only connections and prepared statements.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "foundation/NSValueTypes.h"

namespace addressbook {

// A column as a string object would hold it: up to the first NUL, and nothing when NULL or not
// valid UTF-8.
std::optional<std::string> columnText(sqlite3_stmt* statement, int column);

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
  std::optional<std::string> text(int column) { return columnText(stmt_, column); }
  std::shared_ptr<NSData> blob(int column) {
    const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, column));
    int length = sqlite3_column_bytes(stmt_, column);
    if (!bytes || length < 1) return nullptr;
    return make<NSData>(std::vector<uint8_t>(bytes, bytes + length));
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// A connection to a device path, or null when the file cannot be opened.
sqlite3* openReadOnly(const char* devicePath);

}  // namespace addressbook
