// An auto-evicting cache: keys compared by value (isEqual: and hash), a count limit and a total
// cost limit, safe for concurrent use.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

#include "runtime/objc.h"

class NSCache : public NSObject {
 public:
  static Class class_();
  NSCache();
  ~NSCache() override;

  // nil for a nil key or a key that holds nothing.
  id objectForKey(const id& key) const;
  // The same lookup with a key that the caller owns (no reference is kept).
  id objectForKey(const NSObject& key) const;
  // A nil object or key stores nothing. Replaces any entry under an equal key.
  void setObject(const id& obj, const id& key);
  void setObject(const id& obj, const id& key, std::size_t cost);
  void removeObjectForKey(const id& key);
  void removeAllObjects();

  // 0 means no limit. Limits are not strict under concurrent insertion: an insertion evicts
  // until the cache is back within them.
  std::size_t countLimit() const { return countLimit_.load(std::memory_order_relaxed); }
  void setCountLimit(std::size_t limit);
  std::size_t totalCostLimit() const { return totalCostLimit_.load(std::memory_order_relaxed); }
  void setTotalCostLimit(std::size_t limit);

  // Entries held now (not part of the platform's interface; for tests and tools).
  std::size_t count() const { return count_.load(std::memory_order_relaxed); }

 private:
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(const id& key) const { return key->hash(); }
    std::size_t operator()(const NSObject* key) const { return key->hash(); }
  };
  struct KeyEqual {
    using is_transparent = void;
    static const NSObject* raw(const id& key) { return key.get(); }
    static const NSObject* raw(const NSObject* key) { return key; }
    template <class A, class B>
    bool operator()(const A& a, const B& b) const {
      const NSObject* x = raw(a);
      const NSObject* y = raw(b);
      return x == y || x->isEqual(*y);
    }
  };
  struct Entry {
    Entry(id v, std::size_t c, uint64_t s) : value(std::move(v)), cost(c), stamp(s) {}
    id value;
    std::size_t cost;
    // When the entry was last stored or read: eviction takes the oldest.
    mutable std::atomic<uint64_t> stamp;
  };
  // Readers of one shard share its lock; writers and readers of different shards never meet.
  struct alignas(64) Shard {
    mutable std::shared_mutex lock;
    std::unordered_map<id, Entry, KeyHash, KeyEqual> entries;
  };
  static constexpr std::size_t kShards = 16;

  Shard& shardFor(std::size_t hash) const;
  id lookup(const NSObject& key) const;
  void evictIfNeeded();
  bool overLimit() const;

  mutable std::array<Shard, kShards> shards_;
  std::mutex evictionLock_;  // one evicting writer at a time
  std::atomic<std::size_t> count_{0};
  std::atomic<std::size_t> totalCost_{0};
  std::atomic<std::size_t> countLimit_{0};
  std::atomic<std::size_t> totalCostLimit_{0};
};
