#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+CacheInternal.h"
#include "foundation/Dispatch.h"
#include "foundation/NSOperationQueue.h"

TEST(OperationQueueTest, RunsBlocksOnWorkerThreadsWithinTheWidth) {
  auto queue = make<NSOperationQueue>();
  EXPECT_EQ(queue->maxConcurrentOperationCount(),
            NSOperationQueueDefaultMaxConcurrentOperationCount);
  std::mutex lock;
  std::set<std::thread::id> threads;
  std::atomic<int> ran{0}, onMain{0};
  for (int i = 0; i < 50; ++i) {
    queue->addOperationWithBlock([&] {
      if (isMainThread()) ++onMain;
      std::lock_guard guard(lock);
      threads.insert(std::this_thread::get_id());
      ++ran;
    });
  }
  queue->waitUntilAllOperationsAreFinished();
  EXPECT_EQ(ran.load(), 50);
  EXPECT_EQ(onMain.load(), 0);
  EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
  EXPECT_LE(threads.size(), std::max(1u, std::thread::hardware_concurrency()));
  EXPECT_EQ(queue->operationCount(), 0u);

  // With a width of 2, never more than two run at once, and two do run together.
  auto narrow = make<NSOperationQueue>();
  narrow->setMaxConcurrentOperationCount(2);
  std::atomic<int> running{0}, most{0};
  for (int i = 0; i < 20; ++i) {
    narrow->addOperationWithBlock([&] {
      int now = ++running;
      for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      --running;
    });
  }
  narrow->waitUntilAllOperationsAreFinished();
  EXPECT_EQ(most.load(), 2);
}

TEST(OperationQueueTest, DestructionIsSafe) {
  // Released with operations still queued: they all run before the workers stop.
  std::atomic<int> ran{0};
  {
    auto queue = make<NSOperationQueue>();
    for (int i = 0; i < 100; ++i) {
      queue->addOperationWithBlock([&] {
        std::this_thread::sleep_for(std::chrono::microseconds(50));
        ++ran;
      });
    }
  }
  EXPECT_EQ(ran.load(), 100);

  // Released by its own operation, which held the last reference.
  auto queue = make<NSOperationQueue>();
  std::weak_ptr<NSOperationQueue> weak = queue;
  std::mutex lock;
  std::condition_variable go;
  bool released = false;
  queue->addOperationWithBlock([queue, &lock, &go, &released] {
    std::unique_lock guard(lock);
    go.wait(guard, [&] { return released; });
  });
  queue.reset();
  {
    std::lock_guard guard(lock);
    released = true;
  }
  go.notify_all();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!weak.expired() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_TRUE(weak.expired());
}

TEST(OperationQueueTest, SharedQueueTakesOperationsFromManyThreads) {
  auto queue = TalvoCBUtils::queue();
  ASSERT_NE(queue, nullptr);
  EXPECT_EQ(TalvoCBUtils::queue(), queue);
  EXPECT_EQ(TalvoCBUtils::TalvoCBUtilsInstance(), TalvoCBUtils::TalvoCBUtilsInstance());
  std::atomic<int> ran{0};
  std::vector<std::thread> adders;
  for (int t = 0; t < 4; ++t) {
    adders.emplace_back([&] {
      for (int i = 0; i < 500; ++i) queue->addOperationWithBlock([&] { ++ran; });
    });
  }
  for (auto& adder : adders) adder.join();
  queue->waitUntilAllOperationsAreFinished();
  EXPECT_EQ(ran.load(), 2000);
}

// A wait that runs out asks its condition once more; a condition that looks at the main queue
// (as "is everything idle?" does) must not find the queue still locked by the wait.
TEST(MainLoopTest, ConditionAskedAtTheDeadlineMayLookAtTheMainQueue) {
  auto finished = std::make_shared<std::atomic<bool>>(false);
  std::thread loop([finished] {
    standin::becomeMainThread();
    bool idle = standin::runMainLoopUntil([] { return standin::mainQueuePendingBlocks() == 99; },
                                          std::chrono::milliseconds(5));
    EXPECT_FALSE(idle);
    *finished = true;
  });
  for (int i = 0; i < 200 && !*finished; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!*finished) {
    loop.detach();  // it never returns
    FAIL() << "the main loop deadlocked on its own queue";
  }
  loop.join();
}
