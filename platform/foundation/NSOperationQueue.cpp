#include "foundation/NSOperationQueue.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "foundation/NSLog.h"

STANDIN_DEFINE_CLASS(NSOperationQueue, NSObject)

struct NSOperationQueue::State {
  mutable std::mutex lock;
  std::condition_variable work;      // an operation was queued, or the queue stops
  std::condition_variable finished;  // an operation finished
  std::deque<std::function<void()>> pending;
  std::vector<std::thread> workers;
  std::size_t idle = 0;
  std::size_t running = 0;
  long width = NSOperationQueueDefaultMaxConcurrentOperationCount;
  bool stopping = false;

  std::size_t effectiveWidth() const {
    if (width > 0) return static_cast<std::size_t>(width);
    unsigned hardware = std::thread::hardware_concurrency();
    return hardware > 0 ? hardware : 1;
  }

  static void runWorker(const std::shared_ptr<State>& state) {
    std::unique_lock guard(state->lock);
    for (;;) {
      ++state->idle;
      // Queued operations run even while stopping, but never more at once than the width.
      state->work.wait(guard, [&] {
        return state->pending.empty() ? state->stopping : state->running < state->effectiveWidth();
      });
      --state->idle;
      if (state->pending.empty()) return;  // stopping, and nothing left to run
      std::function<void()> block = std::move(state->pending.front());
      state->pending.pop_front();
      ++state->running;
      guard.unlock();
      try {
        block();
      } catch (const std::exception& error) {
        NSLog("*** NSOperationQueue: an operation raised: %s", error.what());
      } catch (...) {
        NSLog("*** NSOperationQueue: an operation raised an exception");
      }
      block = nullptr;  // what the block holds is released before the queue counts it finished
      guard.lock();
      --state->running;
      state->finished.notify_all();
      // A slot came free for an operation held back by the width.
      if (!state->pending.empty()) state->work.notify_one();
    }
  }
};

namespace {
// Every queue of the process, so that the process can tell when all of them are idle without
// knowing who made them.
struct QueueRegistry {
  std::mutex lock;
  std::vector<std::weak_ptr<NSOperationQueue::State>> queues;
};
QueueRegistry& registry() {
  static auto* shared = new QueueRegistry;  // outlives the exit, as workers may still ask
  return *shared;
}
}  // namespace

NSOperationQueue::NSOperationQueue() : NSObject(class_()), state_(std::make_shared<State>()) {
  QueueRegistry& all = registry();
  std::lock_guard guard(all.lock);
  std::erase_if(all.queues, [](const auto& queue) { return queue.expired(); });
  all.queues.push_back(state_);
}

NSOperationQueue::~NSOperationQueue() {
  std::vector<std::thread> workers;
  {
    std::lock_guard guard(state_->lock);
    state_->stopping = true;
    workers.swap(state_->workers);
  }
  state_->work.notify_all();
  for (std::thread& worker : workers) {
    if (worker.get_id() == std::this_thread::get_id()) {
      worker.detach();  // released from its own operation: the worker holds the state it needs
    } else {
      worker.join();
    }
  }
}

void NSOperationQueue::addOperationWithBlock(std::function<void()> block) {
  if (!block) return;
  std::lock_guard guard(state_->lock);
  state_->pending.push_back(std::move(block));
  // An idle worker that was already woken may not have taken its operation yet, so compare the
  // queued operations with the idle workers rather than look for any idle one.
  if (state_->pending.size() > state_->idle && state_->workers.size() < state_->effectiveWidth()) {
    std::shared_ptr<State> state = state_;
    state_->workers.emplace_back([state] { State::runWorker(state); });
  } else {
    state_->work.notify_one();
  }
}

void NSOperationQueue::waitUntilAllOperationsAreFinished() {
  std::unique_lock guard(state_->lock);
  state_->finished.wait(guard, [&] { return state_->pending.empty() && state_->running == 0; });
}

long NSOperationQueue::maxConcurrentOperationCount() const {
  std::lock_guard guard(state_->lock);
  return state_->width;
}

void NSOperationQueue::setMaxConcurrentOperationCount(long count) {
  {
    std::lock_guard guard(state_->lock);
    state_->width = count;
  }
  state_->work.notify_all();
}

std::size_t NSOperationQueue::operationCount() const {
  std::lock_guard guard(state_->lock);
  return state_->pending.size() + state_->running;
}

std::size_t NSOperationQueue::operationCountOfAllQueues() {
  QueueRegistry& all = registry();
  std::lock_guard registryGuard(all.lock);
  std::size_t count = 0;
  for (const auto& weakState : all.queues) {
    if (auto state = weakState.lock()) {
      std::lock_guard guard(state->lock);
      count += state->pending.size() + state->running;
    }
  }
  return count;
}
