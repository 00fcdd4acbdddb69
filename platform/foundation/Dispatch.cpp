#include "foundation/Dispatch.h"

#include <condition_variable>
#include <deque>
#include <thread>

struct dispatch_queue_s {
  std::mutex lock;
  std::condition_variable wake;
  std::deque<dispatch_block_t> blocks;
  bool stop = false;
};

namespace {
std::thread::id& mainThreadId() {
  static std::thread::id id = std::this_thread::get_id();
  return id;
}
// The thread that loads the platform is the main thread until a host says otherwise.
[[maybe_unused]] const bool kMainThreadRecorded = (mainThreadId(), true);
}  // namespace

// Never destroyed: workers may still hand results to it while the process exits.
dispatch_queue_t dispatch_get_main_queue() {
  static auto* queue = new dispatch_queue_s;
  return queue;
}

void dispatch_async(dispatch_queue_t queue, dispatch_block_t block) {
  if (!queue || !block) return;
  {
    std::lock_guard guard(queue->lock);
    queue->blocks.push_back(std::move(block));
  }
  queue->wake.notify_all();
}

void ReArmableOnce::run(const dispatch_block_t& block) {
  std::lock_guard guard(lock_);
  if (done_) return;
  block();
  done_ = true;
}

void ReArmableOnce::reArm() {
  std::lock_guard guard(lock_);
  done_ = false;
}

bool isMainThread() {
  return std::this_thread::get_id() == mainThreadId();
}

namespace standin {

void becomeMainThread() {
  mainThreadId() = std::this_thread::get_id();
}

namespace {
// Runs blocks until the deadline, the stop flag, or the condition.
bool drain(std::chrono::steady_clock::time_point deadline, const std::function<bool()>& condition) {
  dispatch_queue_t queue = dispatch_get_main_queue();
  for (;;) {
    if (condition && condition()) return true;
    dispatch_block_t block;
    {
      std::unique_lock guard(queue->lock);
      queue->wake.wait_until(guard, deadline,
                             [&] { return queue->stop || !queue->blocks.empty(); });
      if (!queue->blocks.empty() && !queue->stop) {
        block = std::move(queue->blocks.front());
        queue->blocks.pop_front();
      }
      queue->stop = false;
    }
    // Stopped or out of time. The condition is asked with the queue unlocked: it may look at the
    // queue itself.
    if (!block) return condition && condition();
    block();
  }
}
}  // namespace

void runMainLoop() {
  drain(std::chrono::steady_clock::time_point::max(), nullptr);
}

void runMainLoopFor(std::chrono::milliseconds duration) {
  drain(std::chrono::steady_clock::now() + duration, nullptr);
}

bool runMainLoopUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  return drain(std::chrono::steady_clock::now() + timeout, condition);
}

void stopMainRunLoop() {
  dispatch_queue_t queue = dispatch_get_main_queue();
  {
    std::lock_guard guard(queue->lock);
    queue->stop = true;
  }
  queue->wake.notify_all();
}

std::size_t mainQueuePendingBlocks() {
  dispatch_queue_t queue = dispatch_get_main_queue();
  std::lock_guard guard(queue->lock);
  return queue->blocks.size();
}

}  // namespace standin
