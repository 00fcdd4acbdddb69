// TEMPORARY stand-in for the monogram text of a name until the address-book work lands; removed
// at merge. The first character of the first and of the last word.
#include "TalvoCBUtils.h"

OptionalString TalvoCBUtils::monogramTextFromName(const OptionalString& name) {
  if (!name) return std::nullopt;
  std::string text;
  size_t first = name->find_first_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  auto initialAt = [&](size_t at) {
    size_t end = at + 1;
    while (end < name->size() && ((*name)[end] & 0xC0) == 0x80) ++end;
    return name->substr(at, end - at);
  };
  text = initialAt(first);
  size_t last = name->find_last_of(' ');
  if (last != std::string::npos && last + 1 < name->size() && last > first) {
    text += initialAt(last + 1);
  }
  return text;
}
