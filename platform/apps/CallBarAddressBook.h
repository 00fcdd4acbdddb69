// The address book, as CallBar reads it.
#pragma once

#include <string>

#include "addressbook/ABTypes.h"

namespace callbar {

ABRecordRef findPerson(ABAddressBookRef book, const std::string& address);
// First and last name; empty when the card has none.
std::string personName(ABRecordRef person);
// The label of the person's value matching the address ("mobile", "home", "iPhone"); empty when
// none matches.
std::string addressLabel(ABRecordRef person, const std::string& address);
// A number as the address book writes it; an e-mail address as it is.
std::string displayAddress(const std::string& address);
bool isEmailAddress(const std::string& address);

}  // namespace callbar
