#include "foundation/NSCache.h"

#include <algorithm>
#include <limits>
#include <utility>

SIM_DEFINE_CLASS(NSCache, NSObject)

namespace {
// Recency stamps, comparable across every cache of the process. Each thread counts on from the
// shared clock; writes advance the shared clock, and a reading thread publishes its count only
// every so often. A single thread thus sees exact least-recently-used order, threads never drift
// more than a few dozen reads apart, and a hit writes no line that every other hit reads.
std::atomic<uint64_t> sharedClock{0};
thread_local uint64_t threadClock = 0;
constexpr uint64_t kPublishEvery = 64;

void advanceSharedClock(uint64_t to) {
  uint64_t current = sharedClock.load(std::memory_order_relaxed);
  while (current < to &&
         !sharedClock.compare_exchange_weak(current, to, std::memory_order_relaxed)) {
  }
}

uint64_t nextStamp(bool publish) {
  uint64_t shared = sharedClock.load(std::memory_order_relaxed);
  uint64_t now = std::max(threadClock, shared) + 1;
  threadClock = now;
  if (publish || now - shared >= kPublishEvery) advanceSharedClock(now);
  return now;
}
}  // namespace

NSCache::NSCache() : NSObject(class_()) {}
NSCache::~NSCache() = default;

NSCache::Shard& NSCache::shardFor(std::size_t hash) const {
  // Integer keys hash to themselves; mixing spreads neighbouring identifiers over the shards.
  uint64_t mixed = static_cast<uint64_t>(hash) * 0x9E3779B97F4A7C15ull;
  static_assert(kShards == 16, "the shard is the top 4 bits of the mixed hash");
  return shards_[mixed >> 60];
}

id NSCache::lookup(const NSObject& key) const {
  const Shard& shard = shardFor(key.hash());
  std::shared_lock guard(shard.lock);
  auto it = shard.entries.find(&key);
  if (it == shard.entries.end()) return nullptr;
  it->second.stamp.store(nextStamp(false), std::memory_order_relaxed);
  return it->second.value;
}

id NSCache::objectForKey(const id& key) const {
  if (!key) return nullptr;
  return lookup(*key);
}

id NSCache::objectForKey(const NSObject& key) const {
  return lookup(key);
}

void NSCache::setObject(const id& obj, const id& key) {
  setObject(obj, key, 0);
}

void NSCache::setObject(const id& obj, const id& key, std::size_t cost) {
  if (!obj || !key) return;
  id replaced;  // released outside the lock
  {
    Shard& shard = shardFor(key->hash());
    std::unique_lock guard(shard.lock);
    uint64_t stamp = nextStamp(true);
    auto it = shard.entries.find(key.get());
    if (it != shard.entries.end()) {
      replaced = std::exchange(it->second.value, obj);
      totalCost_.fetch_sub(it->second.cost, std::memory_order_relaxed);
      it->second.cost = cost;
      it->second.stamp.store(stamp, std::memory_order_relaxed);
    } else {
      shard.entries.try_emplace(key, obj, cost, stamp);
      count_.fetch_add(1, std::memory_order_relaxed);
    }
    totalCost_.fetch_add(cost, std::memory_order_relaxed);
  }
  if (overLimit()) evictIfNeeded();
}

void NSCache::removeObjectForKey(const id& key) {
  if (!key) return;
  id removed;  // released after the lock, like everything taken out below
  Shard& shard = shardFor(key->hash());
  std::unique_lock guard(shard.lock);
  auto it = shard.entries.find(key.get());
  if (it == shard.entries.end()) return;
  removed = std::move(it->second.value);
  count_.fetch_sub(1, std::memory_order_relaxed);
  totalCost_.fetch_sub(it->second.cost, std::memory_order_relaxed);
  shard.entries.erase(it);
}

void NSCache::removeAllObjects() {
  for (Shard& shard : shards_) {
    std::unordered_map<id, Entry, KeyHash, KeyEqual> removed;
    std::unique_lock guard(shard.lock);
    for (const auto& [key, entry] : shard.entries) {
      count_.fetch_sub(1, std::memory_order_relaxed);
      totalCost_.fetch_sub(entry.cost, std::memory_order_relaxed);
    }
    removed.swap(shard.entries);
  }
}

void NSCache::setCountLimit(std::size_t limit) {
  countLimit_.store(limit, std::memory_order_relaxed);
  if (overLimit()) evictIfNeeded();
}

void NSCache::setTotalCostLimit(std::size_t limit) {
  totalCostLimit_.store(limit, std::memory_order_relaxed);
  if (overLimit()) evictIfNeeded();
}

bool NSCache::overLimit() const {
  std::size_t countLimit = countLimit_.load(std::memory_order_relaxed);
  std::size_t costLimit = totalCostLimit_.load(std::memory_order_relaxed);
  return (countLimit > 0 && count_.load(std::memory_order_relaxed) > countLimit) ||
         (costLimit > 0 && totalCost_.load(std::memory_order_relaxed) > costLimit);
}

void NSCache::evictIfNeeded() {
  std::lock_guard evicting(evictionLock_);
  while (overLimit()) {
    // The least recently used entry over all shards; the limits are small, so a scan is cheap.
    Shard* oldestShard = nullptr;
    id oldestKey;
    uint64_t oldestStamp = std::numeric_limits<uint64_t>::max();
    for (Shard& shard : shards_) {
      std::shared_lock guard(shard.lock);
      for (const auto& [key, entry] : shard.entries) {
        uint64_t stamp = entry.stamp.load(std::memory_order_relaxed);
        if (stamp < oldestStamp) {
          oldestStamp = stamp;
          oldestShard = &shard;
          oldestKey = key;
        }
      }
    }
    if (!oldestShard) return;
    id evicted;
    std::unique_lock guard(oldestShard->lock);
    auto it = oldestShard->entries.find(oldestKey.get());
    if (it == oldestShard->entries.end()) continue;  // removed meanwhile; look again
    evicted = std::move(it->second.value);
    count_.fetch_sub(1, std::memory_order_relaxed);
    totalCost_.fetch_sub(it->second.cost, std::memory_order_relaxed);
    oldestShard->entries.erase(it);
  }
}
