// The sample writes its books in WAL mode, where a writer never keeps readers out. The readers'
// waiting for a locked file is tried on a book put back in rollback mode, where it does.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

inline void useRollbackJournal(const std::string& path) {
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}
