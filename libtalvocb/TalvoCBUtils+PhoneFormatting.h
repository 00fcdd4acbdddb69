// The address book's own formatting of a phone number.
#pragma once

#include "TalvoCBUtilsTypes.h"

namespace TalvoCBUtils {
// Nil when the process lacks the formatter.
OptionalString getFormattedPhoneNumber(const OptionalString& number);
}  // namespace TalvoCBUtils
