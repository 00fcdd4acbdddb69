// The address book's database files as the platform keeps them: where they are, the schema they
// are made with, and how a phone number is keyed for the last-digits index.
#pragma once

#include <string>

// Device paths of the two files.
inline constexpr const char* kABDatabaseDevicePath =
    "/private/var/mobile/Library/AddressBook/AddressBook.sqlitedb";
inline constexpr const char* kABImagesDatabaseDevicePath =
    "/private/var/mobile/Library/AddressBook/AddressBookImages.sqlitedb";

// The text of addressbook/AddressBook.sql. It runs on a connection to the main file with the
// images file attached as "images".
const char* ABDatabaseSchemaSQL();

// Whether the readers read the text back as it is: valid UTF-8 without a NUL. Text that is not
// reads as no value at all, so a writer refuses it.
bool ABDatabaseTextReadsBack(const std::string& text);

// The value ABPhoneLastFour keeps for a number: the last four digits of its national number as
// read in the region (all of them when shorter), or of its plain digits when it does not read as
// a phone number. Empty for text without digits.
std::string ABPhoneLastFourKey(const std::string& number, const std::string& region);
