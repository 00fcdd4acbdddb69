// Phone numbers as the address book compares them, with libphonenumber.
#pragma once

#include <phonenumbers/phonenumber.pb.h>

#include <string>

namespace addressbook {

// Whether a text is too long to be a phone number (kABPhoneNumberMaxLength).
bool isOverlong(const std::string& text);
// Overlong text is refused here, before the parser sees it.
bool parseNumber(const std::string& text, const std::string& region,
                 i18n::phonenumbers::PhoneNumber* number);

// One side of a comparison: the number as parsed, or its plain digits when it does not parse.
struct ComparableNumber {
  ComparableNumber(const std::string& text, const std::string& region);
  i18n::phonenumbers::PhoneNumber number;  // before parsed: the parse writes into it
  bool parsed;
  std::string digits;
};

// Whether two numbers name the same line.
bool sameNumber(const ComparableNumber& a, const ComparableNumber& b);

}  // namespace addressbook
