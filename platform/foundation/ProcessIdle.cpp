#include "foundation/ProcessIdle.h"

#include <algorithm>

#include "foundation/Dispatch.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSOperationQueue.h"

namespace standin {
// The operations and the notifications from other processes are counted first: each hands its
// work to the main queue before it is done, so the other order could miss a block queued in
// between.
bool processIsIdle() {
  return NSOperationQueue::operationCountOfAllQueues() == 0 && !darwinDeliveryPending() &&
         mainQueuePendingBlocks() == 0;
}

bool runMainLoopUntilIdle(std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!processIsIdle()) {
    auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    // Short turns: an operation that ends without handing anything back wakes nobody.
    auto turn = std::min(std::chrono::milliseconds(5),
                         std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now));
    runMainLoopUntil(processIsIdle, turn);
  }
  return true;
}
}  // namespace standin
