#include "foundation/NSDescription.h"

#include <cstdio>
#include <ctime>

#include "foundation/NSValueTypes.h"

namespace {

std::string indent(int level) {
  return std::string(static_cast<std::size_t>(level) * 4, ' ');
}

bool isBareCharacter(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$' || c == '.' || c == '/' || c == ':';
}

// Decodes one UTF-8 sequence at text[i], advancing i; a malformed byte reads as itself.
char32_t nextCodePoint(const std::string& text, std::size_t& i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  if (lead < 0x80 || i + static_cast<std::size_t>(extra) >= text.size()) {
    ++i;
    return lead;
  }
  char32_t code = lead & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    unsigned char next = byte(i + static_cast<std::size_t>(k));
    if ((next & 0xC0) != 0x80) {
      ++i;
      return lead;
    }
    code = (code << 6) | (next & 0x3F);
  }
  i += static_cast<std::size_t>(extra) + 1;
  return code;
}

void appendUnicodeEscape(std::string& out, char32_t unit) {
  char escape[16];
  std::snprintf(escape, sizeof escape, "\\U%04x", static_cast<unsigned>(unit));
  out += escape;
}

std::string dataDescription(const NSData& data) {
  std::string out = "<";
  char hex[3];
  for (std::size_t i = 0; i < data.bytes.size(); ++i) {
    if (i > 0 && i % 4 == 0) out += ' ';
    std::snprintf(hex, sizeof hex, "%02x", data.bytes[i]);
    out += hex;
  }
  return out + ">";
}

std::string dateDescription(const NSDate& date) {
  // The reference date, 1 January 2001, is 978307200 seconds after the Unix epoch.
  std::time_t seconds = static_cast<std::time_t>(978307200.0 + date.seconds);
  std::tm utc{};
  if (!::gmtime_r(&seconds, &utc)) return "(date)";
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S +0000", &utc);
  return text;
}

std::string arrayDescription(const NSArray& array, int level) {
  std::string out = "(\n";
  for (std::size_t i = 0; i < array.items.size(); ++i) {
    out += indent(level + 1) + NSDescriptionInCollection(array.items[i], level + 1);
    out += i + 1 < array.items.size() ? ",\n" : "\n";
  }
  return out + indent(level) + ")";
}

std::string dictionaryDescription(const NSDictionary& dictionary, int level) {
  std::string out = "{\n";
  for (const auto& [key, value] : dictionary.entries) {
    out += indent(level + 1) + NSQuotedStringIfNeeded(key) + " = " +
           NSDescriptionInCollection(value, level + 1) + ";\n";
  }
  return out + indent(level) + "}";
}

}  // namespace

std::string NSQuotedStringIfNeeded(const std::string& text) {
  bool bare = !text.empty();
  for (unsigned char c : text) bare = bare && isBareCharacter(c);
  if (bare) return text;
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    char32_t code = nextCodePoint(text, i);
    switch (code) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (code >= 0x20 && code < 0x7F) {
          out += static_cast<char>(code);
        } else if (code > 0xFFFF) {
          // As UTF-16, the platform's string units: a surrogate pair.
          code -= 0x10000;
          appendUnicodeEscape(out, 0xD800 + (code >> 10));
          appendUnicodeEscape(out, 0xDC00 + (code & 0x3FF));
        } else {
          appendUnicodeEscape(out, code);
        }
    }
  }
  return out + "\"";
}

std::string NSDescriptionInCollection(const id& object, int level) {
  if (!object) return "(null)";
  // A nested collection opens where its own lines are indented, as the platform prints it.
  if (auto array = cast<NSArray>(object)) return indent(level) + arrayDescription(*array, level);
  if (auto dictionary = cast<NSDictionary>(object)) {
    return indent(level) + dictionaryDescription(*dictionary, level);
  }
  if (auto text = cast<NSString>(object)) return NSQuotedStringIfNeeded(text->value);
  return object->description();
}

std::string NSArray::description() const {
  return arrayDescription(*this, 0);
}
std::string NSDictionary::description() const {
  return dictionaryDescription(*this, 0);
}
std::string NSData::description() const {
  return dataDescription(*this);
}
std::string NSDate::description() const {
  return dateDescription(*this);
}
