// The waiting rule of the address-book readers.
#include "TalvoCBRetry.h"

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {
void sleepOneSecond() {
  std::this_thread::sleep_for(std::chrono::seconds(1));
}

std::atomic<void (*)()> retryWait{sleepOneSecond};
}  // namespace

bool TalvoCBIsWorthRetrying(int sqliteStatus) {
  // Extended codes (SQLITE_BUSY_SNAPSHOT...) keep the primary code in the low byte.
  int primary = sqliteStatus & 0xff;
  return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

void TalvoCBWaitBeforeRetrying() {
  retryWait.load()();
}

void TalvoCBSetRetryWait(void (*wait)()) {
  retryWait.store(wait ? wait : sleepOneSecond);
}
