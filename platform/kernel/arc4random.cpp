#include "kernel/arc4random.h"

#include <sys/random.h>

#include <mutex>
#include <optional>

namespace {
struct Replay {
  std::mutex mutex;
  std::optional<uint64_t> state;  // set when the environment asks for a replayed sequence
};

Replay& replay() {
  static Replay* instance = [] {
    auto* made = new Replay;  // never destroyed: workers may still draw while the process exits
    // A seed that is no number is ignored: the numbers are random then, as on the phone.
    const char* seed = std::getenv(sim::kRandomSeedVariable);
    char* end = nullptr;
    uint64_t value = seed ? std::strtoull(seed, &end, 0) : 0;
    if (seed && *seed && end && *end == '\0') made->state = value;
    return made;
  }();
  return *instance;
}

// SplitMix64: small, and good enough for picking colours.
uint32_t nextReplayed(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}
}  // namespace

extern "C" uint32_t arc4random(void) noexcept {
  Replay& r = replay();
  if (r.state) {
    std::lock_guard lock(r.mutex);
    return nextReplayed(*r.state);
  }
  uint32_t value = 0;
  while (::getrandom(&value, sizeof value, 0) != static_cast<ssize_t>(sizeof value)) {
  }
  return value;
}
