// When a failed read of an address-book file is worth another attempt, and the wait before it.
#pragma once

// Only a file that another process holds (busy or locked) can answer differently a second later;
// a file that is not a database, is damaged or cannot be opened answers the same every time.
__attribute__((visibility("hidden"))) bool TalvoCBIsWorthRetrying(int sqliteStatus);

// Blocks the calling thread for a second before the next attempt.
__attribute__((visibility("hidden"))) void TalvoCBWaitBeforeRetrying();

// Replaces the wait (for the tests, which count the waits instead of sitting them out); nullptr
// puts the real one back.
void TalvoCBSetRetryWait(void (*wait)());
