#include "kernel/arc4random.h"

#include <sys/random.h>

#include <cstring>

extern "C" uint32_t arc4random(void) noexcept {
  static const bool zero = [] {
    const char* value = std::getenv(standin::kRandomVariable);
    return value && std::strcmp(value, standin::kRandomZero) == 0;
  }();
  if (zero) return 0;
  uint32_t value = 0;
  while (::getrandom(&value, sizeof value, 0) != static_cast<ssize_t>(sizeof value)) {
  }
  return value;
}
