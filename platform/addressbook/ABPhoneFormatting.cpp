#include <phonenumbers/phonenumberutil.h>

#include "addressbook/ABAddressBook.h"
#include "addressbook/ABPhoneMatching.h"
#include "foundation/Device.h"

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

STANDIN_DEFINE_CLASS(ABPhoneFormatting, NSObject)

ABPhoneFormatting::ABPhoneFormatting() : NSObject(class_()) {}

std::optional<std::string> ABPhoneFormatting::abCopyPhoneNumberFromString(
    const std::optional<std::string>& number) {
  if (!number) return std::nullopt;
  const std::string& region = standin::deviceProfile().region;
  PhoneNumber parsed;
  if (!addressbook::parseNumber(*number, region, &parsed)) return number;
  auto* util = PhoneNumberUtil::GetInstance();
  bool domestic = number->find('+') == std::string::npos &&
                  parsed.country_code() == util->GetCountryCodeForRegion(region);
  std::string formatted;
  util->Format(parsed, domestic ? PhoneNumberUtil::NATIONAL : PhoneNumberUtil::INTERNATIONAL,
               &formatted);
  return formatted;
}
