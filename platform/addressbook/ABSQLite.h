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

// Whether a status means that the file cannot be read at all (not a database, a hot journal
// that a read-only reader cannot roll back, locked past the wait, damaged), rather than a book
// that lacks a table or a column, which the readers step over.
bool isReadFailure(int status);

// Logs one line naming the file and SQLite's reason. The same line is not repeated back to back,
// so that a loop over an unreadable book does not flood the log.
void logReadFailure(sqlite3* db, int status);

// A prepared statement that finalizes itself; an invalid one steps to nothing. A read that fails
// is logged, never taken silently for an empty book.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    if (!db) return;
    int status = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
    if (status != SQLITE_OK) {
      if (isReadFailure(status)) logReadFailure(db, status);
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
  bool step() {
    if (!stmt_) return false;
    int status = sqlite3_step(stmt_);
    if (status == SQLITE_ROW) return true;
    if (status != SQLITE_DONE) logReadFailure(sqlite3_db_handle(stmt_), status);
    return false;
  }
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

// A read-only connection to a device path, or null when the file cannot be opened (logged unless
// the file is missing: a device without the files has an empty book). The writers keep the files
// in WAL mode, so a reader sees the last commit even when a writer died inside a transaction and
// never has to roll anything back; it only waits a bounded time.
sqlite3* openReadOnly(const char* devicePath);

// Why the book's files cannot be read, or nothing when they can or are missing. Opens each file as
// the readers do and reads its schema and tables.
std::optional<std::string> unreadableReason();

}  // namespace addressbook
