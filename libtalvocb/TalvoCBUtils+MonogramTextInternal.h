// Library-internal steps of the monogram text.
#pragma once

#include <cstdint>

#include "TalvoCBUtilsTypes.h"

namespace TalvoCBUtils {
OptionalString monogramTextFromContactID(int32_t contactID);
// One read of the database file; currentReadCount counts the reads already made.
OptionalString getMonogramTextFromAB(int32_t contactID, int32_t currentReadCount);
}  // namespace TalvoCBUtils
