#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "foundation/NSCache.h"
#include "foundation/NSValueTypes.h"

namespace {
struct Tagged : NSObject {
  explicit Tagged(int64_t t) : tag(t) {}
  const int64_t tag;
};

id number(int64_t value) {
  return NSNumber::numberWithLongLong(value);
}
id text(const char* value) {
  return NSString::stringWithUTF8String(value);
}
}  // namespace

TEST(NSCacheTest, KeysCompareByValue) {
  auto cache = make<NSCache>();
  auto picture = make<Tagged>(1);
  cache->setObject(picture, NSNumber::numberWithInt(42));
  EXPECT_EQ(cache->objectForKey(number(42)), picture);
  EXPECT_EQ(cache->objectForKey(NSNumber::numberWithInteger(42)), picture);
  EXPECT_EQ(cache->objectForKey(NSNumber(int64_t{42})), picture);
  EXPECT_EQ(cache->objectForKey(number(43)), nullptr);

  // Another number of the same value replaces the entry rather than adding one.
  auto replacement = make<Tagged>(2);
  cache->setObject(replacement, number(42));
  EXPECT_EQ(cache->count(), 1u);
  EXPECT_EQ(cache->objectForKey(NSNumber::numberWithInt(42)), replacement);

  cache->setObject(picture, text("/var/mobile/a.png"));
  EXPECT_EQ(cache->objectForKey(text("/var/mobile/a.png")), picture);
  EXPECT_EQ(cache->objectForKey(text("/var/mobile/b.png")), nullptr);

  // A nil object or key stores nothing; a nil key finds nothing.
  cache->setObject(nullptr, number(7));
  cache->setObject(picture, nullptr);
  EXPECT_EQ(cache->count(), 2u);
  EXPECT_EQ(cache->objectForKey(nullptr), nullptr);

  cache->removeObjectForKey(NSNumber::numberWithInt(42));
  EXPECT_EQ(cache->objectForKey(number(42)), nullptr);
  cache->removeObjectForKey(number(42));  // nothing there: no effect
  cache->removeAllObjects();
  EXPECT_EQ(cache->count(), 0u);
  EXPECT_EQ(cache->objectForKey(text("/var/mobile/a.png")), nullptr);
}

TEST(NSCacheTest, EvictsLeastRecentlyUsedOverTheLimits) {
  auto cache = make<NSCache>();
  cache->setCountLimit(100);
  for (int i = 0; i < 100; ++i) cache->setObject(make<Tagged>(i), number(i));
  EXPECT_EQ(cache->count(), 100u);

  ASSERT_NE(cache->objectForKey(number(0)), nullptr);  // 0 is now the most recently used
  cache->setObject(make<Tagged>(100), number(100));
  EXPECT_EQ(cache->count(), 100u);
  EXPECT_NE(cache->objectForKey(number(0)), nullptr);
  EXPECT_EQ(cache->objectForKey(number(1)), nullptr);
  EXPECT_NE(cache->objectForKey(number(100)), nullptr);

  // Replacing an entry refreshes it too.
  cache->setObject(make<Tagged>(2), number(2));
  cache->setObject(make<Tagged>(101), number(101));
  EXPECT_NE(cache->objectForKey(number(2)), nullptr);
  EXPECT_EQ(cache->objectForKey(number(3)), nullptr);

  // Lowering the limit evicts at once.
  cache->setCountLimit(10);
  EXPECT_EQ(cache->count(), 10u);
  EXPECT_NE(cache->objectForKey(number(101)), nullptr);

  auto costly = make<NSCache>();
  costly->setTotalCostLimit(10);
  costly->setObject(make<Tagged>(1), number(1), 6);
  costly->setObject(make<Tagged>(2), number(2), 6);
  EXPECT_EQ(costly->objectForKey(number(1)), nullptr);
  EXPECT_NE(costly->objectForKey(number(2)), nullptr);
  costly->setObject(make<Tagged>(2), number(2), 3);  // a replacement's cost replaces the old one
  costly->setObject(make<Tagged>(3), number(3), 7);
  EXPECT_EQ(costly->count(), 2u);
}

TEST(NSCacheTest, ConcurrentUseKeepsEntriesWholeAndWithinTheLimit) {
  auto cache = make<NSCache>();
  cache->setCountLimit(50);
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      std::mt19937 random(static_cast<unsigned>(t));
      for (int i = 0; i < 20000; ++i) {
        int64_t key = random() % 300;
        switch (random() % 8) {
          case 0:
            cache->setObject(make<Tagged>(key), number(key));
            break;
          case 1:
            cache->removeObjectForKey(number(key));
            break;
          case 2:
            if (i % 1000 == 0) cache->removeAllObjects();
            break;
          default:
            if (auto found = cast<Tagged>(cache->objectForKey(NSNumber(key)))) {
              if (found->tag != key) ++wrong;
            }
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_LE(cache->count(), 50u);
  std::size_t found = 0;
  for (int64_t key = 0; key < 300; ++key) found += cache->objectForKey(number(key)) != nullptr;
  EXPECT_EQ(found, cache->count());
}
