#include "foundation/NSValueTypes.h"

#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>

#include "foundation/PropertyList.h"

STANDIN_DEFINE_CLASS(NSString, NSObject)
STANDIN_DEFINE_CLASS(NSNumber, NSObject)
STANDIN_DEFINE_CLASS(NSData, NSObject)
STANDIN_DEFINE_CLASS(NSDate, NSObject)
STANDIN_DEFINE_CLASS(NSArray, NSObject)
STANDIN_DEFINE_CLASS(NSDictionary, NSObject)
STANDIN_DEFINE_CLASS(CFKeyedArchiverUID, NSObject)

bool NSString::isEqual(const NSObject& other) const {
  auto* text = dynamic_cast<const NSString*>(&other);
  return text && text->value == value;
}
std::size_t NSString::hash() const {
  return std::hash<std::string>()(value);
}

bool NSNumber::boolValue() const {
  return std::visit([](auto v) { return v != 0; }, value);
}
int64_t NSNumber::integerValue() const {
  if (auto* d = std::get_if<double>(&value)) {
    if (!std::isfinite(*d)) return 0;
    if (*d >= 9.2e18) return INT64_MAX;
    if (*d <= -9.2e18) return INT64_MIN;
    return static_cast<int64_t>(*d);
  }
  return std::visit([](auto v) { return static_cast<int64_t>(v); }, value);
}
double NSNumber::doubleValue() const {
  return std::visit([](auto v) { return static_cast<double>(v); }, value);
}
namespace {
// An integral number as its sign and its 64 bits, which tells -1 from UINT64_MAX.
std::pair<bool, uint64_t> signAndBits(const std::variant<bool, int64_t, double, uint64_t>& value) {
  if (auto* u = std::get_if<uint64_t>(&value)) return {false, *u};
  if (auto* i = std::get_if<int64_t>(&value)) return {*i < 0, static_cast<uint64_t>(*i)};
  return {false, std::get<bool>(value) ? 1u : 0u};
}
}  // namespace

bool NSNumber::isEqual(const NSObject& other) const {
  auto* number = dynamic_cast<const NSNumber*>(&other);
  if (!number) return false;
  bool integral = !std::holds_alternative<double>(value);
  bool otherIntegral = !std::holds_alternative<double>(number->value);
  if (integral && otherIntegral) return signAndBits(value) == signAndBits(number->value);
  return doubleValue() == number->doubleValue();
}
std::size_t NSNumber::hash() const {
  // By the double value, so that every pair isEqual: calls equal meets: 42 and 42.0,
  // UINT64_MAX and 1.8446744073709552e19.
  return std::hash<double>()(doubleValue());
}
std::string NSNumber::description() const {
  if (auto* d = std::get_if<double>(&value)) return stringWithFormat("%g", *d);
  if (auto* u = std::get_if<uint64_t>(&value)) return std::to_string(*u);
  return std::to_string(integerValue());
}

bool CFKeyedArchiverUID::isEqual(const NSObject& other) const {
  auto* uid = dynamic_cast<const CFKeyedArchiverUID*>(&other);
  return uid && uid->value == value;
}
std::size_t CFKeyedArchiverUID::hash() const {
  return std::hash<uint64_t>()(value);
}
std::string CFKeyedArchiverUID::description() const {
  return "<CFKeyedArchiverUID>{value = " + std::to_string(value) + "}";
}

bool NSData::isEqual(const NSObject& other) const {
  auto* data = dynamic_cast<const NSData*>(&other);
  return data && data->bytes == bytes;
}

id NSDictionary::objectForKey(const std::string& key) const {
  auto it = entries.find(key);
  return it == entries.end() ? nullptr : it->second;
}

namespace {
// Skips leading blanks as the platform's string scanner does.
std::size_t skipBlanks(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                             text[i] == '\r' || text[i] == '\f' || text[i] == '\v')) {
    ++i;
  }
  return i;
}
}  // namespace

bool NSStringBoolValue(const std::string& text) {
  std::size_t i = skipBlanks(text);
  while (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  while (i < text.size() && text[i] == '0') ++i;
  if (i >= text.size()) return false;
  char c = text[i];
  return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

int64_t NSStringIntegerValue(const std::string& text) {
  std::size_t i = skipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    int digit = text[i] - '0';
    if (value > (INT64_MAX - digit) / 10) return negative ? INT64_MIN : INT64_MAX;
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

double NSStringDoubleValue(const std::string& text) {
  std::size_t i = skipBlanks(text);
  // Only the leading decimal number counts: "7.1.2" reads as 7.1.
  std::size_t end = i;
  if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
  bool dot = false;
  while (end < text.size() &&
         (std::isdigit(static_cast<unsigned char>(text[end])) || (!dot && text[end] == '.'))) {
    dot = dot || text[end] == '.';
    ++end;
  }
  std::string number = text.substr(i, end - i);
  return number.empty() ? 0.0 : std::strtod(number.c_str(), nullptr);
}

bool boolValue(const id& obj) {
  if (auto number = cast<NSNumber>(obj)) return number->boolValue();
  if (auto text = cast<NSString>(obj)) return NSStringBoolValue(text->value);
  return false;
}
int64_t integerValue(const id& obj) {
  if (auto number = cast<NSNumber>(obj)) return number->integerValue();
  if (auto text = cast<NSString>(obj)) return NSStringIntegerValue(text->value);
  return 0;
}
double doubleValue(const id& obj) {
  if (auto number = cast<NSNumber>(obj)) return number->doubleValue();
  if (auto text = cast<NSString>(obj)) return NSStringDoubleValue(text->value);
  return 0.0;
}

std::optional<std::string> stringValue(const id& obj) {
  if (auto text = cast<NSString>(obj)) return text->value;
  return std::nullopt;
}

std::string stringWithFormatArguments(const char* format, va_list arguments) {
  va_list copy;
  va_copy(copy, arguments);
  int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, arguments);
  return text;
}

std::string stringWithFormat(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string text = stringWithFormatArguments(format, arguments);
  va_end(arguments);
  return text;
}
