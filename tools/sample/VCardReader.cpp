#include "VCardReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>

// EVCard's headers bring GLib's, which name deprecated types of their own.
#include <libebook-contacts/libebook-contacts.h>

#include "foundation/DeviceFiles.h"

namespace sample {
namespace {

constexpr const char* kMobile = "_$!<Mobile>!$_";
constexpr const char* kHome = "_$!<Home>!$_";
constexpr const char* kWork = "_$!<Work>!$_";
constexpr const char* kOther = "_$!<Other>!$_";

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool containsIgnoringCase(std::string_view text, std::string_view word) {
  if (word.size() > text.size()) return false;
  for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
    if (equalsIgnoringCase(text.substr(i, word.size()), word)) return true;
  }
  return false;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

// EVCard reports what it cannot parse through GLib's log, and parses on; such a card is not read.
thread_local std::string* parseWarning = nullptr;

void onEVCardLog(const gchar*, GLogLevelFlags, const gchar* message, gpointer) {
  if (parseWarning && parseWarning->empty()) *parseWarning = message ? message : "cannot parse";
}

void catchEVCardLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    g_log_set_handler(
        "libebook-contacts",
        static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL |
                                    G_LOG_LEVEL_MESSAGE | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION),
        onEVCardLog, nullptr);
  });
}

bool isUTF8(const std::string& text) {
  return g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr);
}

// The head of a property line: everything before the first colon outside quotes.
std::size_t headEnd(std::string_view line) {
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ':' && !quoted) return i;
  }
  return std::string_view::npos;
}

bool isBase64Text(std::string_view line) {
  return !line.empty() && std::all_of(line.begin(), line.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/' || c == '=' ||
           c == ' ' || c == '\t';
  });
}

// vCard 2.1 as phones and mail programs write it, mended where EVCard reads it otherwise:
// quoted-printable soft line breaks, 8-bit text in a named charset (given to EVCard as
// quoted-printable, whose charset it converts), and base64 continued on lines without the
// leading space.
std::string mendVersion21(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string line = lines[i];
    std::size_t head = headEnd(line);
    // A copy: the line grows and is replaced below.
    const std::string name = head == std::string::npos ? std::string() : line.substr(0, head);
    bool quotedPrintable = containsIgnoringCase(name, "QUOTED-PRINTABLE");
    while (quotedPrintable && !line.empty() && line.back() == '=' && i + 1 < lines.size()) {
      line.pop_back();
      line += lines[++i];
    }
    if (!quotedPrintable && head != std::string::npos && containsIgnoringCase(name, "CHARSET=") &&
        !isUTF8(line)) {
      static const char* hex = "0123456789ABCDEF";
      std::string encoded = line.substr(0, head) + ";ENCODING=QUOTED-PRINTABLE:";
      for (unsigned char c : line.substr(head + 1)) {
        if (c >= 0x80 || c == '=') {
          encoded += '=';
          encoded += hex[c >> 4];
          encoded += hex[c & 15];
        } else {
          encoded += static_cast<char>(c);
        }
      }
      line = encoded;
    }
    out += line;
    out += "\r\n";
    if (containsIgnoringCase(name, "BASE64")) {
      while (i + 1 < lines.size() && headEnd(lines[i + 1]) == std::string::npos &&
             isBase64Text(lines[i + 1])) {
        const std::string& next = lines[++i];
        out += (next.front() == ' ' || next.front() == '\t') ? "" : " ";
        out += next;
        out += "\r\n";
      }
    }
  }
  return out;
}

std::vector<std::string> typesOf(EVCardAttribute* attribute) {
  std::vector<std::string> types;
  for (GList* param = e_vcard_attribute_get_params(attribute); param; param = param->next) {
    auto* p = static_cast<EVCardAttributeParam*>(param->data);
    const char* name = e_vcard_attribute_param_get_name(p);
    if (!name || !equalsIgnoringCase(name, "TYPE")) continue;
    for (GList* v = e_vcard_attribute_param_get_values(p); v; v = v->next) {
      std::string value = static_cast<const char*>(v->data);
      std::size_t start = 0;
      while (start <= value.size()) {
        std::size_t comma = value.find(',', start);
        if (comma == std::string::npos) comma = value.size();
        std::string type(trimmed(std::string_view(value).substr(start, comma - start)));
        std::transform(type.begin(), type.end(), type.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (!type.empty()) types.push_back(type);
        start = comma + 1;
      }
    }
  }
  return types;
}

std::string paramValue(EVCardAttribute* attribute, const char* name) {
  GList* values = e_vcard_attribute_get_param(attribute, name);
  return values && values->data ? static_cast<const char*>(values->data) : "";
}

// The values of an attribute, or those of one of its parts.
std::vector<std::string> valuesOf(EVCardAttribute* attribute) {
  std::vector<std::string> values;
  for (GList* v = e_vcard_attribute_get_values(attribute); v; v = v->next) {
    values.emplace_back(v->data ? static_cast<const char*>(v->data) : "");
  }
  return values;
}

std::string joined(const std::vector<std::string>& values) {
  std::string text;
  for (std::size_t i = 0; i < values.size(); ++i) text += (i ? ";" : "") + values[i];
  return text;
}

std::optional<std::string> part(const std::vector<std::string>& values, std::size_t index) {
  if (index >= values.size()) return std::nullopt;
  std::string text(trimmed(values[index]));
  if (text.empty()) return std::nullopt;
  return text;
}

bool has(const std::vector<std::string>& types, const char* type) {
  return std::find(types.begin(), types.end(), type) != types.end();
}

std::string phoneLabel(const std::vector<std::string>& types) {
  bool fax = has(types, "fax");
  if (has(types, "iphone")) return "iPhone";
  if (fax && has(types, "home")) return "_$!<HomeFAX>!$_";
  if (fax && has(types, "work")) return "_$!<WorkFAX>!$_";
  if (fax) return "_$!<OtherFAX>!$_";
  if (has(types, "cell") || has(types, "mobile")) return kMobile;
  if (has(types, "pager")) return "_$!<Pager>!$_";
  if (has(types, "main")) return "_$!<Main>!$_";
  if (has(types, "home")) return kHome;
  if (has(types, "work")) return kWork;
  return kOther;
}

std::string placeLabel(const std::vector<std::string>& types, const char* otherwise) {
  if (has(types, "home")) return kHome;
  if (has(types, "work")) return kWork;
  if (has(types, "other")) return kOther;
  return otherwise;
}

// Base64 that is base64: the alphabet, white space and padding only at the end.
std::optional<std::vector<uint8_t>> strictBase64(std::string_view text) {
  std::string clean;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    bool letter = std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/';
    if (!letter && c != '=') return std::nullopt;
    if (letter && !clean.empty() && clean.back() == '=') return std::nullopt;
    clean += c;
  }
  if (clean.empty() || clean.size() % 4 == 1) return std::nullopt;
  gsize length = 0;
  guchar* bytes = g_base64_decode(clean.c_str(), &length);
  std::vector<uint8_t> decoded(bytes, bytes + length);
  g_free(bytes);
  return decoded;
}

void readPhoto(EVCardAttribute* attribute, VCardContact& contact) {
  if (contact.photo) return;
  std::string value = joined(valuesOf(attribute));
  std::string encoding = paramValue(attribute, "ENCODING");
  bool base64 = equalsIgnoringCase(encoding, "b") || equalsIgnoringCase(encoding, "BASE64");
  if (!base64) {
    for (GList* param = e_vcard_attribute_get_params(attribute); param; param = param->next) {
      auto* p = static_cast<EVCardAttributeParam*>(param->data);
      for (GList* v = e_vcard_attribute_param_get_values(p); v; v = v->next) {
        if (equalsIgnoringCase(static_cast<const char*>(v->data), "BASE64")) base64 = true;
      }
    }
  }
  std::string_view payload = value;
  if (!base64) {
    std::string_view uri = trimmed(value);
    std::size_t comma = uri.find(',');
    if (uri.size() < 5 || !equalsIgnoringCase(uri.substr(0, 5), "data:")) {
      contact.photoSkipped = "a link, which is not fetched";
      return;
    }
    if (comma == std::string_view::npos || !containsIgnoringCase(uri.substr(0, comma), ";base64")) {
      contact.photoSkipped = "a data URI without base64";
      return;
    }
    payload = uri.substr(comma + 1);
  }
  auto bytes = strictBase64(payload);
  if (!bytes) {
    contact.photoSkipped = "not base64";
    return;
  }
  contact.photo = std::move(*bytes);
  contact.photoSkipped.clear();
}

AddressParts addressParts(EVCardAttribute* attribute,
                          const std::vector<std::pair<std::string, std::string>>& groupValues) {
  std::vector<std::string> values = valuesOf(attribute);
  AddressParts parts;
  auto street = part(values, 2);
  if (auto extended = part(values, 1)) street = street ? *street + "\n" + *extended : *extended;
  if (!street) street = part(values, 0);
  const std::pair<const char*, std::optional<std::string>> named[] = {{"Street", street},
                                                                      {"City", part(values, 3)},
                                                                      {"State", part(values, 4)},
                                                                      {"ZIP", part(values, 5)},
                                                                      {"Country", part(values, 6)}};
  for (const auto& [key, value] : named) {
    if (value) parts.emplace_back(key, *value);
  }
  for (const auto& [name, value] : groupValues) {
    if (equalsIgnoringCase(name, "X-ABADR") && !value.empty()) {
      parts.emplace_back("CountryCode", value);
    }
  }
  return parts;
}

// The person of one parsed card.
VCardContact contactOf(EVCard* card, int line) {
  VCardContact contact;
  contact.line = line;
  PersonFields& f = contact.fields;
  GList* attributes = e_vcard_get_attributes(card);
  // Apple's labels and country codes ride on a property of the same group (item1.X-ABLabel).
  auto groupValues = [attributes](EVCardAttribute* of) {
    std::vector<std::pair<std::string, std::string>> found;
    const char* group = e_vcard_attribute_get_group(of);
    if (!group || !*group) return found;
    for (GList* a = attributes; a; a = a->next) {
      auto* other = static_cast<EVCardAttribute*>(a->data);
      const char* otherGroup = e_vcard_attribute_get_group(other);
      if (other == of || !otherGroup || !equalsIgnoringCase(group, otherGroup)) continue;
      found.emplace_back(e_vcard_attribute_get_name(other), joined(valuesOf(other)));
    }
    return found;
  };
  auto customLabel = [&groupValues](EVCardAttribute* of) -> std::optional<std::string> {
    for (const auto& [name, value] : groupValues(of)) {
      if (equalsIgnoringCase(name, "X-ABLabel") && !value.empty()) return value;
    }
    return std::nullopt;
  };
  std::optional<std::string> fullName;
  bool showAsCompany = false;
  for (GList* a = attributes; a; a = a->next) {
    auto* attribute = static_cast<EVCardAttribute*>(a->data);
    std::string name = e_vcard_attribute_get_name(attribute);
    std::vector<std::string> values = valuesOf(attribute);
    auto is = [&name](const char* property) { return equalsIgnoringCase(name, property); };
    if (is("N")) {
      f.last = part(values, 0);
      f.first = part(values, 1);
      f.middle = part(values, 2);
      f.prefix = part(values, 3);
      f.suffix = part(values, 4);
    } else if (is("FN")) {
      fullName = part({joined(values)}, 0);
    } else if (is("ORG")) {
      f.organization = part(values, 0);
      f.department = part(values, 1);
    } else if (is("TITLE")) {
      f.jobTitle = part({joined(values)}, 0);
    } else if (is("NICKNAME")) {
      f.nickname = part({joined(values)}, 0);
    } else if (is("NOTE")) {
      f.note = part({joined(values)}, 0);
    } else if (is("X-PHONETIC-FIRST-NAME")) {
      f.firstPhonetic = part({joined(values)}, 0);
    } else if (is("X-PHONETIC-MIDDLE-NAME")) {
      f.middlePhonetic = part({joined(values)}, 0);
    } else if (is("X-PHONETIC-LAST-NAME")) {
      f.lastPhonetic = part({joined(values)}, 0);
    } else if (is("X-ABShowAs")) {
      showAsCompany = equalsIgnoringCase(trimmed(joined(values)), "COMPANY");
    } else if (is("KIND")) {
      showAsCompany = equalsIgnoringCase(trimmed(joined(values)), "org");
    } else if (is("TEL")) {
      std::string number(trimmed(joined(values)));
      if (number.size() > 4 && equalsIgnoringCase(number.substr(0, 4), "tel:")) {
        number = number.substr(4);
      }
      if (!number.empty()) {
        contact.phones.emplace_back(customLabel(attribute).value_or(phoneLabel(typesOf(attribute))),
                                    number);
      }
    } else if (is("EMAIL")) {
      std::string address(trimmed(joined(values)));
      if (!address.empty()) {
        contact.emails.emplace_back(
            customLabel(attribute).value_or(placeLabel(typesOf(attribute), kOther)), address);
      }
    } else if (is("URL")) {
      std::string address(trimmed(joined(values)));
      if (!address.empty()) {
        contact.urls.emplace_back(
            customLabel(attribute).value_or(placeLabel(typesOf(attribute), "_$!<HomePage>!$_")),
            address);
      }
    } else if (is("ADR")) {
      AddressParts parts = addressParts(attribute, groupValues(attribute));
      if (!parts.empty()) {
        contact.addresses.emplace_back(
            customLabel(attribute).value_or(placeLabel(typesOf(attribute), kOther)), parts);
      }
    } else if (is("PHOTO")) {
      readPhoto(attribute, contact);
    }
  }
  // A card with a full name only is that person; one with an organisation only is the
  // organisation's card.
  bool named = f.first || f.last || f.middle;
  if (!named && fullName && fullName != f.organization) f.first = fullName;
  named = f.first || f.last || f.middle;
  f.isOrganization = f.organization && (showAsCompany || !named);
  return contact;
}

// Splits text into cards and reads each one.
class CardFramer {
 public:
  CardFramer(VCardFileResult& result, const std::function<void(VCardContact&&)>& onCard)
      : result_(result), onCard_(onCard) {}

  void line(std::string text) {
    ++number_;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    std::string_view bare = trimmed(text);
    if (equalsIgnoringCase(bare, "BEGIN:VCARD")) {
      if (inCard_) unreadable("ends without END:VCARD");
      inCard_ = true;
      start_ = number_;
      lines_.clear();
      size_ = 0;
      properties_ = 0;
      tooLarge_.clear();
      return;
    }
    if (!inCard_) return;
    if (equalsIgnoringCase(bare, "END:VCARD")) {
      inCard_ = false;
      finish();
      return;
    }
    if (!tooLarge_.empty()) return;
    size_ += text.size() + 2;
    if (!text.empty() && text.front() != ' ' && text.front() != '\t') ++properties_;
    if (size_ > kLargestCard) {
      tooLarge_ = "is larger than 24 MiB";
    } else if (properties_ > kMostCardProperties) {
      tooLarge_ = "has more than " + std::to_string(kMostCardProperties) + " properties";
    }
    if (!tooLarge_.empty()) {
      lines_.clear();
      lines_.shrink_to_fit();
      return;
    }
    lines_.push_back(std::move(text));
  }

  // A line too long to keep: the card it is in is not read.
  void overlongLine() {
    ++number_;
    if (inCard_ && tooLarge_.empty()) tooLarge_ = "is larger than 24 MiB";
    lines_.clear();
  }

  void end() {
    if (inCard_) unreadable("is cut short: the file ends without END:VCARD");
    inCard_ = false;
  }

 private:
  void unreadable(const std::string& why) { result_.unreadable.emplace_back(start_, why); }

  void finish() {
    if (!tooLarge_.empty()) return unreadable(tooLarge_);
    std::string version;
    for (const std::string& text : lines_) {
      std::size_t head = headEnd(text);
      if (head != std::string::npos &&
          equalsIgnoringCase(trimmed(text.substr(0, head)), "VERSION")) {
        version = trimmed(text.substr(head + 1));
      }
    }
    if (!version.empty() && version != "2.1" && version != "3.0" && version != "4.0") {
      return unreadable("has the unknown vCard version " + version.substr(0, 20));
    }
    std::string body = "BEGIN:VCARD\r\n";
    if (version == "2.1") {
      body += mendVersion21(lines_);
    } else {
      for (const std::string& text : lines_) body += text + "\r\n";
    }
    body += "END:VCARD\r\n";
    lines_.clear();
    std::string warning;
    catchEVCardLog();
    parseWarning = &warning;
    EVCard* card = e_vcard_new_from_string(body.c_str());
    // EVCard parses when its attributes are first asked for.
    if (card) e_vcard_get_attributes(card);
    parseWarning = nullptr;
    if (!card || !warning.empty()) {
      if (card) g_object_unref(card);
      return unreadable("cannot be parsed: " + std::string(trimmed(warning.substr(0, 80))));
    }
    VCardContact contact = contactOf(card, start_);
    g_object_unref(card);
    ++result_.cards;
    onCard_(std::move(contact));
  }

  VCardFileResult& result_;
  const std::function<void(VCardContact&&)>& onCard_;
  int number_ = 0, start_ = 0;
  bool inCard_ = false;
  std::vector<std::string> lines_;
  std::size_t size_ = 0, properties_ = 0;
  std::string tooLarge_;
};

}  // namespace

VCardFileResult readVCardText(const std::string& text,
                              const std::function<void(VCardContact&&)>& onCard) {
  VCardFileResult result;
  result.read = true;
  CardFramer framer(result, onCard);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end - start > kLargestCard) {
      framer.overlongLine();
    } else {
      framer.line(text.substr(start, end - start));
    }
    start = end + 1;
  }
  framer.end();
  return result;
}

VCardFileResult readVCardFile(const std::string& path,
                              const std::function<void(VCardContact&&)>& onCard) {
  VCardFileResult result;
  int fd = standin::openFile(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0) {
    result.error = path + ": " + std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return result;
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    result.error = path + " is not a regular file";
    return result;
  }
  if (static_cast<uint64_t>(info.st_size) > kLargestVCardFile) {
    ::close(fd);
    result.error = path + " is larger than 512 MiB";
    return result;
  }
  result.read = true;
  CardFramer framer(result, onCard);
  std::string pending;
  bool overlong = false;
  std::vector<char> buffer(1 << 20);
  uint64_t total = 0;
  for (;;) {
    ssize_t got = ::read(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      result.read = false;
      result.error = path + ": " + std::strerror(errno);
      break;
    }
    if (got == 0) break;
    // A file that grows while it is read is read no further than the cap.
    total += static_cast<uint64_t>(got);
    if (total > kLargestVCardFile) {
      result.read = false;
      result.error = path + " is larger than 512 MiB";
      break;
    }
    const char* at = buffer.data();
    const char* stop = at + got;
    while (at < stop) {
      const char* newline = static_cast<const char*>(std::memchr(at, '\n', stop - at));
      const char* end = newline ? newline : stop;
      if (!overlong) pending.append(at, end);
      if (pending.size() > kLargestCard) {
        overlong = true;
        pending.clear();
        pending.shrink_to_fit();
      }
      if (newline) {
        if (overlong) {
          framer.overlongLine();
        } else {
          framer.line(std::move(pending));
        }
        pending.clear();
        overlong = false;
      }
      at = newline ? newline + 1 : stop;
    }
  }
  ::close(fd);
  if (!result.read) return result;
  if (overlong) {
    framer.overlongLine();
  } else if (!pending.empty()) {
    framer.line(std::move(pending));
  }
  framer.end();
  return result;
}

}  // namespace sample
