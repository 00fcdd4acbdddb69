#include "addressbook/ABPhoneMatching.h"

#include <phonenumbers/phonenumberutil.h>

#include <algorithm>

#include "addressbook/ABAddressBook.h"
#include "addressbook/ABDatabase.h"

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

namespace addressbook {
namespace {

std::string asciiDigits(const std::string& text) {
  std::string digits;
  for (char c : text) {
    if (c >= '0' && c <= '9') digits += c;
  }
  return digits;
}

std::string lastFour(const std::string& digits) {
  return digits.size() <= 4 ? digits : digits.substr(digits.size() - 4);
}

}  // namespace

bool isOverlong(const std::string& text) {
  return text.size() > kABPhoneNumberMaxLength;
}

bool parseNumber(const std::string& text, const std::string& region, PhoneNumber* number) {
  if (isOverlong(text)) return false;
  return PhoneNumberUtil::GetInstance()->Parse(text, region, number) ==
         PhoneNumberUtil::NO_PARSING_ERROR;
}

ComparableNumber::ComparableNumber(const std::string& text, const std::string& region)
    : number(), parsed(parseNumber(text, region, &number)), digits(asciiDigits(text)) {}

bool sameNumber(const ComparableNumber& a, const ComparableNumber& b) {
  if (a.parsed && b.parsed) {
    auto* util = PhoneNumberUtil::GetInstance();
    switch (util->IsNumberMatch(a.number, b.number)) {
      case PhoneNumberUtil::EXACT_MATCH:
      case PhoneNumberUtil::NSN_MATCH:
        return true;
      case PhoneNumberUtil::SHORT_NSN_MATCH: {
        // A local number without its area code still names the same line; a mere tail of a
        // few digits does not.
        std::string nsnA, nsnB;
        util->GetNationalSignificantNumber(a.number, &nsnA);
        util->GetNationalSignificantNumber(b.number, &nsnB);
        return std::min(nsnA.size(), nsnB.size()) >= 7;
      }
      default:
        return false;
    }
  }
  return !a.digits.empty() && a.digits == b.digits;
}

}  // namespace addressbook

std::string ABPhoneLastFourKey(const std::string& number, const std::string& region) {
  PhoneNumber parsed;
  if (addressbook::parseNumber(number, region, &parsed)) {
    std::string nsn;
    PhoneNumberUtil::GetInstance()->GetNationalSignificantNumber(parsed, &nsn);
    if (!nsn.empty()) return addressbook::lastFour(nsn);
  }
  return addressbook::lastFour(addressbook::asciiDigits(number));
}
