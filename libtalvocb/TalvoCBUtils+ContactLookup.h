// The contact identifier of a call's party: a phone number or an e-mail address.
#pragma once

#include <cstdint>

#include "TalvoCBUtilsTypes.h"
#include "addressbook/ABTypes.h"

namespace TalvoCBUtils {
// A person's record identifier; 0 when a number matches nobody, -1 when an address matches
// nobody or the book cannot be read.
int32_t getContactID(const OptionalString& party, ABAddressBookRef addressBook);
int32_t getContactID(const OptionalString& party);
}  // namespace TalvoCBUtils
