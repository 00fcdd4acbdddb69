// The C library's arc4random. On the phone it is always random. A simulated device can make it
// answer 0 every time instead (TALVOCB_RANDOM=zero): monogram colours then follow from the contact
// alone, whichever thread draws first, so that screens come out the same on every run.
#pragma once

#include <cstdint>
#include <cstdlib>

extern "C" uint32_t arc4random(void) noexcept;

namespace standin {
// The environment variable, and the value that makes arc4random answer 0.
inline constexpr const char* kRandomVariable = "TALVOCB_RANDOM";
inline constexpr const char* kRandomZero = "zero";
}  // namespace standin
