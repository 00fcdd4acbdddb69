// The address book's formatting of a phone number.
#include "TalvoCBUtils+PhoneFormatting.h"
#include "addressbook/ABAddressBook.h"

OptionalString TalvoCBUtils::getFormattedPhoneNumber(const OptionalString& number) {
  // The formatter is private to the address book; a system without it gets no formatting.
  if (!objc_getClass("ABPhoneFormatting")) return std::nullopt;
  return ABPhoneFormatting::abCopyPhoneNumberFromString(number);
}
