// Library-internal parts of the contact lookup: the shared address-book handle and the map of
// parties already looked up.
#pragma once

#include <cstdint>

#include "addressbook/ABTypes.h"

namespace TalvoCBUtils {
ABAddressBookRef getAddressBook();
ABRecordRef getPersonRecordFromDB(int32_t contactID);
// Drops the contact from the map of parties already looked up.
void removeContactIDFromCache(int32_t contactID);
}  // namespace TalvoCBUtils
