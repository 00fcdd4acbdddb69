// Whether the process has nothing left to do: no operation queued or running on any operation
// queue and no block waiting on the main queue.
#pragma once

#include <chrono>

namespace standin {
bool processIsIdle();
// Runs the main loop until the process is idle or the time is up; true when it became idle.
bool runMainLoopUntilIdle(std::chrono::milliseconds timeout);
}  // namespace standin
