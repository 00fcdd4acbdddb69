#include "foundation/NSStringsFile.h"

#include <algorithm>
#include <cctype>

#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

namespace {

// A reader of the old form: quoted or bare strings, "=" and ";", C comments.
class OldStyleReader {
 public:
  explicit OldStyleReader(const std::string& text) : text_(text) {}

  std::optional<std::map<std::string, std::string>> table() {
    std::map<std::string, std::string> entries;
    for (;;) {
      if (!skipSpaceAndComments()) return std::nullopt;
      if (at_ == text_.size()) return entries;
      auto key = string();
      if (!key || !skipSpaceAndComments()) return std::nullopt;
      std::optional<std::string> value = key;  // "key"; stands for "key" = "key";
      if (peek() == '=') {
        ++at_;
        if (!skipSpaceAndComments()) return std::nullopt;
        value = string();
        if (!value || !skipSpaceAndComments()) return std::nullopt;
      }
      if (peek() != ';') return std::nullopt;
      ++at_;
      entries[*key] = *value;
    }
  }

 private:
  char peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }

  // Answers false for a comment that never ends.
  bool skipSpaceAndComments() {
    for (;;) {
      while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
      if (text_.compare(at_, 2, "//") == 0) {
        at_ = text_.find('\n', at_);
        if (at_ == std::string::npos) at_ = text_.size();
      } else if (text_.compare(at_, 2, "/*") == 0) {
        auto end = text_.find("*/", at_ + 2);
        if (end == std::string::npos) return false;
        at_ = end + 2;
      } else {
        return true;
      }
    }
  }

  static bool bare(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '$' ||
           c == ':' || c == '/' || c == '-';
  }

  std::optional<std::string> string() {
    if (peek() != '"') {
      std::size_t start = at_;
      while (at_ < text_.size() && bare(text_[at_])) ++at_;
      if (at_ == start) return std::nullopt;
      return text_.substr(start, at_ - start);
    }
    ++at_;
    std::string out;
    while (at_ < text_.size()) {
      char c = text_[at_++];
      if (c == '"') return out;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) return std::nullopt;
      char e = text_[at_++];
      switch (e) {
        case 'n':
          out += '\n';
          break;
        case 't':
          out += '\t';
          break;
        case 'r':
          out += '\r';
          break;
        case 'U':
        case 'u': {
          auto code = hex4();
          if (!code) return std::nullopt;
          appendUTF8(out, *code);
          break;
        }
        default:
          out += e;  // \" \\ and any other escaped letter stand for themselves
      }
    }
    return std::nullopt;  // no closing quote
  }

  std::optional<uint32_t> hex4() {
    if (at_ + 4 > text_.size()) return std::nullopt;
    uint32_t code = 0;
    for (int i = 0; i < 4; ++i) {
      char c = text_[at_++];
      if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
      code = code * 16 + static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c))
                                                   ? c - '0'
                                                   : std::tolower(c) - 'a' + 10);
    }
    // A lone half of a surrogate pair is no character.
    if (code >= 0xD800 && code <= 0xDFFF) return 0xFFFD;
    return code;
  }

  static void appendUTF8(std::string& out, uint32_t code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  const std::string& text_;
  std::size_t at_ = 0;
};

bool isPropertyList(const std::vector<uint8_t>& bytes, std::size_t start) {
  std::string head(bytes.begin() + static_cast<long>(start),
                   bytes.begin() + static_cast<long>(std::min(bytes.size(), start + 6)));
  return head == "bplist" || head.starts_with("<?xml") || head.starts_with("<plist");
}

}  // namespace

std::optional<std::map<std::string, std::string>> parseStringsFile(
    const std::vector<uint8_t>& bytes) {
  // A UTF-8 byte-order mark is skipped.
  std::size_t start =
      bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
  if (isPropertyList(bytes, start)) {
    auto root = cast<NSDictionary>(propertyListFromData(
        std::vector<uint8_t>(bytes.begin() + static_cast<long>(start), bytes.end())));
    if (!root) return std::nullopt;
    std::map<std::string, std::string> entries;
    for (const auto& [key, value] : root->entries) {
      if (auto text = stringValue(value)) entries[key] = *text;
    }
    return entries;
  }
  std::string text(bytes.begin() + static_cast<long>(start), bytes.end());
  if (text.find('\0') != std::string::npos) return std::nullopt;  // UTF-16 or binary
  return OldStyleReader(text).table();
}
