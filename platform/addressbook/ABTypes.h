// The address book's handle and record types.
#pragma once

#include <cstdint>

struct __ABAddressBook;
using ABAddressBookRef = __ABAddressBook*;
struct __ABRecord;
using ABRecordRef = __ABRecord*;
using ABRecordID = int32_t;
