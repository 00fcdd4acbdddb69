// The one or two initials of a contact's name.
#pragma once

#include <cstdint>

#include "TalvoCBUtilsTypes.h"

namespace TalvoCBUtils {
OptionalString monogramTextFromName(const OptionalString& name);
// Read from the address book's database file, waiting while the file is locked; both names
// answer the same.
OptionalString getMonogramTextFromAB(int32_t contactID);
OptionalString monogramTextFromAB(int32_t contactID);
}  // namespace TalvoCBUtils
