#include "UIColor+TalvoCB.h"

#include <unicode/ustring.h>

#include <vector>

std::shared_ptr<UIColor> TalvoCBColorWithHexaCode(uint32_t code) {
  return TalvoCBColorWithRed((code >> 16) & 0xff, (code >> 8) & 0xff, code & 0xff, 1.0);
}

std::shared_ptr<UIColor> TalvoCBColorWithRed(long red, long green, long blue, double alpha) {
  return UIColor::colorWithRed(red / 255.0, green / 255.0, blue / 255.0, alpha);
}

namespace {
// The text in UTF-16 code units, the platform's string indexes.
std::u16string utf16(const std::string& text) {
  std::u16string out(text.size(), u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, text.data(),
                       static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<size_t>(length));
  return out;
}

int hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// scanHexInt: of "0x" and the pair: the leading hexadecimal digits, 0 when there are none.
long readPair(const std::u16string& text, size_t at) {
  std::u16string pair = text.substr(at, 2);
  size_t i = 0;
  if (pair.size() == 2 && pair[0] == u'0' && (pair[1] == u'x' || pair[1] == u'X')) i = 2;
  long value = 0;
  for (; i < pair.size() && hexDigit(pair[i]) >= 0; ++i) value = value * 16 + hexDigit(pair[i]);
  return value;
}
}  // namespace

std::shared_ptr<UIColor> TalvoCBColorWithHexaCode(const std::string& text, double alpha) {
  std::u16string units = utf16(text);
  // The platform would raise on a range past the end; a short code is taken as black.
  if (units.size() < 7) return TalvoCBColorWithRed(0, 0, 0, alpha);
  return TalvoCBColorWithRed(readPair(units, 1), readPair(units, 3), readPair(units, 5), alpha);
}
