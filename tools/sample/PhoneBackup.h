// The address book of an unencrypted phone backup (a folder of files named by the SHA-1 of their
// domain and path), copied into a device.
#pragma once

#include <string>

#include "SampleDevice.h"

namespace sample {

// The backup's names of the two files.
inline constexpr const char* kBackupAddressBook = "31bb7ba8914766d4ba40d6dfb6113c8b614be442";
inline constexpr const char* kBackupAddressBookImages = "cd6702cea29fe89cf280a76794405adb17f9a0ee";
// The largest file taken from a backup.
inline constexpr uint64_t kLargestBackupFile = 2ULL << 30;

// Copies both databases from the backup (flat, or in folders named by the first two hex digits)
// into the device under root, replacing its book, checks them (integrity, the tables the library
// reads) and keeps them in WAL mode. Nothing in the backup is opened for writing. On failure the
// device has no book and *error says why.
bool copyBackupAddressBook(const std::string& backup, const std::string& root, SampleReport* report,
                           std::string* error);

}  // namespace sample
