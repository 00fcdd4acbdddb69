#include "runtime/TypeEncoding.h"

#include <cctype>
#include <cstring>

namespace {

bool isQualifier(char c) {
  return c != '\0' && std::strchr("rnNoORVA", c) != nullptr;
}

bool isSimpleType(char c) {
  return c != '\0' && std::strchr("cislqCISLQfdDBv*#:?tT", c) != nullptr;
}

void skipDigits(const char*& p) {
  while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
}

// Skips a bracketed aggregate ({...}, (...), [...]) with whatever it nests; false when it does not
// close.
bool skipAggregate(const char*& p) {
  int depth = 0;
  bool quoted = false;
  do {
    char c = *p;
    if (c == '\0') return false;
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && (c == '{' || c == '(' || c == '[')) {
      ++depth;
    } else if (!quoted && (c == '}' || c == ')' || c == ']')) {
      --depth;
    }
    ++p;
  } while (depth > 0);
  return true;
}

// Skips one type with its qualifiers and the frame offset after it; false when malformed.
bool skipType(const char*& p) {
  while (isQualifier(*p)) ++p;
  char c = *p;
  if (c == '{' || c == '(' || c == '[') {
    if (!skipAggregate(p)) return false;
  } else if (c == '^') {
    ++p;
    if (!skipType(p)) return false;
    return true;
  } else if (c == '@') {
    ++p;
    if (*p == '?') {
      ++p;
    } else if (*p == '"') {
      const char* end = std::strchr(p + 1, '"');
      if (!end) return false;
      p = end + 1;
    }
  } else if (c == 'b') {
    ++p;
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
  } else if (isSimpleType(c)) {
    ++p;
  } else {
    return false;
  }
  if (*p == '-') ++p;
  skipDigits(p);
  return true;
}

}  // namespace

std::optional<std::size_t> typeEncodingArgumentCount(const char* types) {
  if (!types) return std::nullopt;
  std::size_t entries = 0;
  for (const char* p = types; *p != '\0'; ++entries) {
    if (!skipType(p)) return std::nullopt;
  }
  if (entries < 3) return std::nullopt;
  return entries - 3;
}

std::size_t selectorArgumentCount(const char* selector) {
  std::size_t count = 0;
  for (const char* p = selector; p && *p != '\0'; ++p) count += *p == ':';
  return count;
}
