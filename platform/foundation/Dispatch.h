// The main thread, its run loop and the main queue; once-guards.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>

struct dispatch_queue_s;
using dispatch_queue_t = dispatch_queue_s*;
using dispatch_block_t = std::function<void()>;

dispatch_queue_t dispatch_get_main_queue();
// Runs the block on the queue's thread; the main queue runs it from its run loop.
void dispatch_async(dispatch_queue_t queue, dispatch_block_t block);

// A guard that is never re-armed.
using dispatch_once_t = std::once_flag;
inline void dispatch_once(dispatch_once_t* guard, const dispatch_block_t& block) {
  std::call_once(*guard, block);
}

// A once-guard that its owner can re-arm, so that the next call runs the block again.
class ReArmableOnce {
 public:
  void run(const dispatch_block_t& block);
  void reArm();

 private:
  std::mutex lock_;
  bool done_ = false;
};

bool isMainThread();

namespace standin {
// Makes the calling thread the main thread (the thread that loaded the platform is by default).
void becomeMainThread();
// Runs the main run loop on the calling main thread: until stopMainRunLoop, or until the time is
// up, or, for runMainLoopUntil, until the condition holds (checked after each block).
void runMainLoop();
void runMainLoopFor(std::chrono::milliseconds duration);
bool runMainLoopUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
void stopMainRunLoop();
// Blocks waiting on the main queue (not counting one that is running).
std::size_t mainQueuePendingBlocks();
}  // namespace standin
