#include "addressbook/PhoneNumberWarmUp.h"

#include <phonenumbers/phonenumberutil.h>

#include <string>

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

namespace standin {

void warmUpPhoneNumbers() {
  // Numbers written as the books and the calls write them: international, national, bare digits.
  static const char* const kNumbers[] = {"+1 (555) 010-0100", "555-610-6679", "5550100102",
                                         "+44 20 7946 0000", "867-5309"};
  auto* util = PhoneNumberUtil::GetInstance();
  PhoneNumber first;
  util->Parse(kNumbers[0], "US", &first);
  for (const char* text : kNumbers) {
    PhoneNumber number;
    if (util->Parse(text, "US", &number) != PhoneNumberUtil::NO_PARSING_ERROR) continue;
    std::string out;
    util->GetNationalSignificantNumber(number, &out);
    util->Format(number, PhoneNumberUtil::NATIONAL, &out);
    util->Format(number, PhoneNumberUtil::INTERNATIONAL, &out);
    util->IsNumberMatch(first, number);
  }
  util->GetCountryCodeForRegion("US");
}

}  // namespace standin
