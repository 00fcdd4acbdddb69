// An auto-evicting cache: keys compared by value (isEqual: and hash), a count limit and a total
// cost limit, safe for concurrent use.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

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
  // The lookup of an integer number key by its value, as objectForKey of that number answers.
  id objectForIntegerKey(int64_t key) const;
  // A nil object or key stores nothing. Replaces any entry under an equal key.
  void setObject(const id& obj, const id& key);
  void setObject(const id& obj, const id& key, std::size_t cost);
  void removeObjectForKey(const id& key);
  void removeAllObjects();

  // 0 means no limit. Concurrent insertions may overshoot for a moment; each insertion evicts
  // until the cache is back within the limits.
  std::size_t countLimit() const;
  void setCountLimit(std::size_t limit);
  std::size_t totalCostLimit() const;
  void setTotalCostLimit(std::size_t limit);

  // Entries held now (not part of the platform's interface; for tests and tools).
  std::size_t count() const;

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
  // A cache line each, so that hits on different entries write no common line.
  struct alignas(64) Entry {
    Entry(id v, std::size_t c, uint64_t s) : value(std::move(v)), cost(c), stamp(s) {}
    id value;
    std::size_t cost;
    // When the entry was last stored or read: eviction takes the oldest.
    mutable std::atomic<uint64_t> stamp;
  };
  // Readers announce themselves in a record of their own thread, so that hits on different
  // threads write no common cache line; a writer raises writing_ and waits until no thread reads.
  class ReadGuard;
  class WriteGuard;

  // Integer numbers, the usual key, are held by their value so that a lookup needs no virtual
  // call; every other key by isEqual: and hash.
  bool integerKey(const NSObject& key, int64_t& integer) const;
  id hit(const Entry& entry) const;
  id take(const NSObject& key);  // removes the entry; answers its value (under the write guard)
  id evictOldest();              // likewise, for the least recently used entry
  bool overLimit() const;
  void trim(std::vector<id>& evicted);

  const Class numberClass_;
  alignas(64) mutable std::atomic<bool> writing_{false};
  mutable std::mutex writeLock_;
  std::unordered_map<int64_t, Entry> integers_;
  // The integer entries again, in an open-addressed table of a power of two slots that a hit
  // probes without the map's division; rebuilt by every writer (the limits keep it small).
  struct Slot {
    int64_t key;
    const Entry* entry;  // null: an empty slot
  };
  std::vector<Slot> integerIndex_;
  unsigned integerShift_ = 64;
  void reindex();
  const Entry* findInteger(int64_t key) const;
  std::unordered_map<id, Entry, KeyHash, KeyEqual> objects_;
  std::size_t totalCost_ = 0;  // these three under writeLock_
  std::size_t countLimit_ = 0;
  std::size_t totalCostLimit_ = 0;
};
