// The address book's database files, which the library reads directly and never writes.
#pragma once

#include <sqlite3.h>

#include "foundation/Device.h"

inline constexpr const char* kAddressBookDatabase =
    "/private/var/mobile/Library/AddressBook/AddressBook.sqlitedb";
inline constexpr const char* kThumbnailStore =
    "/private/var/mobile/Library/AddressBook/AddressBookImages.sqlitedb";

// Opens one of the files read-only; the status is SQLite's. The caller closes *db either way.
inline int openAddressBookFile(const char* devicePath, sqlite3** db) {
  return sqlite3_open_v2(fileSystemRepresentation(devicePath).c_str(), db, SQLITE_OPEN_READONLY,
                         nullptr);
}
