// The C library's arc4random. On the phone it is always random. A simulated device can replay one
// sequence instead: with TALVOCB_RANDOM_SEED set to a number, every process draws the same numbers
// in the same order, so that screens with randomly coloured monograms come out the same each run.
#pragma once

#include <cstdint>
#include <cstdlib>

extern "C" uint32_t arc4random(void) noexcept;

namespace sim {
// The environment variable that makes arc4random replay a sequence.
inline constexpr const char* kRandomSeedVariable = "TALVOCB_RANDOM_SEED";
}  // namespace sim
