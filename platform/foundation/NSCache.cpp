#include "foundation/NSCache.h"

#include <linux/membarrier.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>
#include <utility>
#include <variant>

#include "foundation/NSValueTypes.h"

STANDIN_DEFINE_CLASS(NSCache, NSObject)

namespace {
// Reading threads, one record each, kept for the life of the process and reused when a thread
// ends. A record says whether its thread is reading a cache now.
struct alignas(64) ReaderRecord {
  std::atomic<uint32_t> reading{0};
  std::atomic<bool> owned{true};
  ReaderRecord* next = nullptr;  // fixed once the record is published
};
std::atomic<ReaderRecord*> readerRecords{nullptr};

// What a hit reads and writes of its own thread, together, so that it finds them all with one
// look-up of the thread's storage.
struct ThreadState {
  ReaderRecord* record = nullptr;
  // The epoch this thread last stamped in, and how many reads it stamped since; see nextStamp.
  uint64_t epoch = 0;
  uint64_t reads = 0;
};
[[gnu::tls_model("initial-exec")]] thread_local ThreadState threadState;

struct RecordRelease {
  ReaderRecord* record = nullptr;
  ~RecordRelease() {
    if (!record) return;
    threadState.record = nullptr;
    record->owned.store(false, std::memory_order_release);
  }
};
thread_local RecordRelease recordRelease;

// A thread's first read: kept out of the hit's own code.
[[gnu::noinline, gnu::cold]] ReaderRecord* claimRecord() {
  ReaderRecord* record = nullptr;
  for (ReaderRecord* r = readerRecords.load(std::memory_order_acquire); r && !record; r = r->next) {
    bool free = false;
    if (r->owned.compare_exchange_strong(free, true, std::memory_order_acquire)) record = r;
  }
  if (!record) {
    record = new ReaderRecord;  // never freed: writers walk the list without a lock
    ReaderRecord* head = readerRecords.load(std::memory_order_relaxed);
    do {
      record->next = head;
    } while (!readerRecords.compare_exchange_weak(head, record, std::memory_order_release,
                                                  std::memory_order_relaxed));
  }
  recordRelease.record = record;
  threadState.record = record;
  return record;
}

// A reader must not read writing_ before its record shows it reading, nor may a writer read the
// records before they can see writing_. Where the kernel offers process-wide barriers, the
// (rare) writer pays for that with one system call and readers need only a compiler barrier;
// otherwise both sides use sequentially consistent operations. ThreadSanitizer cannot see the
// kernel's barrier, so its builds take the plain path.
bool registerAsymmetricBarrier() {
#if defined(__SANITIZE_THREAD__)
  return false;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
  return false;
#endif
  return ::syscall(__NR_membarrier, MEMBARRIER_CMD_REGISTER_PRIVATE_EXPEDITED, 0, 0) == 0;
#else
  return ::syscall(__NR_membarrier, MEMBARRIER_CMD_REGISTER_PRIVATE_EXPEDITED, 0, 0) == 0;
#endif
}
const bool asymmetricBarrier = registerAsymmetricBarrier();

void enterReading(ReaderRecord& record) {
  if (asymmetricBarrier) {
    record.reading.store(1, std::memory_order_relaxed);
    std::atomic_signal_fence(std::memory_order_seq_cst);
  } else {
    record.reading.exchange(1, std::memory_order_seq_cst);
  }
}

void waitForReaders() {
  if (asymmetricBarrier) ::syscall(__NR_membarrier, MEMBARRIER_CMD_PRIVATE_EXPEDITED, 0, 0);
  for (ReaderRecord* r = readerRecords.load(std::memory_order_seq_cst); r; r = r->next) {
    while (r->reading.load(std::memory_order_seq_cst) != 0) std::this_thread::yield();
  }
}

// Recency stamps, comparable across every cache of the process: the epoch in the high half,
// advanced by every store, and the thread's count of reads in that epoch in the low half. One
// thread thus sees exact least-recently-used order; reads of different threads within one epoch
// are ordered only roughly. A hit reads the epoch and writes nothing that another hit reads.
alignas(64) std::atomic<uint64_t> sharedEpoch{0};

[[gnu::always_inline]] inline uint64_t nextStamp(bool store) {
  uint64_t epoch = store ? sharedEpoch.fetch_add(1, std::memory_order_relaxed) + 1
                         : sharedEpoch.load(std::memory_order_relaxed);
  ThreadState& thread = threadState;
  if (epoch != thread.epoch) {
    thread.epoch = epoch;
    thread.reads = 0;
  }
  if (thread.reads < 0xffffffffu) ++thread.reads;
  return (epoch << 32) | thread.reads;
}
}  // namespace

class NSCache::ReadGuard {
 public:
  explicit ReadGuard(const NSCache& cache)
      : record_(threadState.record ? *threadState.record : *claimRecord()) {
    enterReading(record_);
    if (cache.writing_.load(std::memory_order_seq_cst)) [[unlikely]]
      waitForWriter(cache);
  }
  ~ReadGuard() { record_.reading.store(0, std::memory_order_release); }
  ReadGuard(const ReadGuard&) = delete;
  ReadGuard& operator=(const ReadGuard&) = delete;

 private:
  // A writer came first: step back until it is done, then read.
  [[gnu::noinline, gnu::cold]] void waitForWriter(const NSCache& cache) {
    do {
      record_.reading.store(0, std::memory_order_release);
      while (cache.writing_.load(std::memory_order_acquire)) std::this_thread::yield();
      enterReading(record_);
    } while (cache.writing_.load(std::memory_order_seq_cst));
  }

  ReaderRecord& record_;
};

class NSCache::WriteGuard {
 public:
  explicit WriteGuard(NSCache& cache) : cache_(cache), lock_(cache.writeLock_) {
    cache_.writing_.store(true, std::memory_order_seq_cst);
    waitForReaders();
  }
  ~WriteGuard() {
    cache_.reindex();  // before readers come back
    cache_.writing_.store(false, std::memory_order_seq_cst);
  }
  WriteGuard(const WriteGuard&) = delete;
  WriteGuard& operator=(const WriteGuard&) = delete;

 private:
  NSCache& cache_;
  std::lock_guard<std::mutex> lock_;
};

namespace {
constexpr uint64_t kFibonacci = 0x9E3779B97F4A7C15ull;
}  // namespace

void NSCache::reindex() {
  std::size_t slots = 16;
  while (slots < 2 * integers_.size()) slots *= 2;
  integerIndex_.assign(slots, Slot{0, nullptr});
  integerShift_ = 64 - static_cast<unsigned>(__builtin_ctzll(slots));
  for (const auto& [key, entry] : integers_) {
    std::size_t at = (static_cast<uint64_t>(key) * kFibonacci) >> integerShift_;
    while (integerIndex_[at].entry) at = (at + 1) & (slots - 1);
    integerIndex_[at] = Slot{key, &entry};
  }
}

[[gnu::always_inline]] inline const NSCache::Entry* NSCache::findInteger(int64_t key) const {
  if (integerIndex_.empty()) return nullptr;
  std::size_t mask = integerIndex_.size() - 1;
  for (std::size_t at = (static_cast<uint64_t>(key) * kFibonacci) >> integerShift_;;
       at = (at + 1) & mask) {
    const Slot& slot = integerIndex_[at];
    if (!slot.entry) return nullptr;
    if (slot.key == key) return slot.entry;
  }
}

// A hit stamps its entry, for the eviction's least-recently-used order.
[[gnu::always_inline]] inline id NSCache::hit(const Entry& entry) const {
  entry.stamp.store(nextStamp(false), std::memory_order_relaxed);
  return entry.value;
}

NSCache::NSCache() : NSObject(class_()), numberClass_(NSNumber::class_()) {}
NSCache::~NSCache() = default;

bool NSCache::integerKey(const NSObject& key, int64_t& integer) const {
  if (key.isa() != numberClass_) return false;
  const auto& value = static_cast<const NSNumber&>(key).value;
  if (const auto* number = std::get_if<int64_t>(&value)) {
    integer = *number;
    return true;
  }
  if (const auto* flag = std::get_if<bool>(&value)) {
    integer = *flag;
    return true;
  }
  // Unsigned values above INT64_MAX equal no integer key; they go by isEqual: and hash.
  if (const auto* wide = std::get_if<uint64_t>(&value)) {
    integer = static_cast<int64_t>(*wide);
    return *wide <= static_cast<uint64_t>(INT64_MAX);
  }
  // A double of whole value equals the integer of that value, as NSNumber compares them.
  double d = std::get<double>(value);
  if (d != std::floor(d) || d < -9.2e18 || d > 9.2e18) return false;
  integer = static_cast<int64_t>(d);
  return true;
}

id NSCache::objectForKey(const id& key) const {
  if (!key) return nullptr;
  return objectForKey(*key);
}

id NSCache::objectForKey(const NSObject& key) const {
  int64_t integer = 0;
  bool byInteger = integerKey(key, integer);
  ReadGuard guard(*this);
  const Entry* entry = nullptr;
  if (byInteger) {
    entry = findInteger(integer);
  } else {
    auto it = objects_.find(&key);
    if (it != objects_.end()) entry = &it->second;
  }
  if (!entry) return nullptr;
  return hit(*entry);
}

id NSCache::objectForIntegerKey(int64_t key) const {
  ReadGuard guard(*this);
  const Entry* entry = findInteger(key);
  return entry ? hit(*entry) : nullptr;
}

void NSCache::setObject(const id& obj, const id& key) {
  setObject(obj, key, 0);
}

void NSCache::setObject(const id& obj, const id& key, std::size_t cost) {
  if (!obj || !key) return;
  std::vector<id> released;  // values let go of after the guard, in case they hold the cache
  WriteGuard guard(*this);
  uint64_t stamp = nextStamp(true);
  released.push_back(take(*key));
  if (int64_t integer; integerKey(*key, integer)) {
    integers_.try_emplace(integer, obj, cost, stamp);
  } else {
    objects_.try_emplace(key, obj, cost, stamp);
  }
  totalCost_ += cost;
  trim(released);
}

id NSCache::take(const NSObject& key) {
  auto remove = [this](auto& map, auto it) -> id {
    if (it == map.end()) return nullptr;
    id value = std::move(it->second.value);
    totalCost_ -= it->second.cost;
    map.erase(it);
    return value;
  };
  if (int64_t integer; integerKey(key, integer)) {
    return remove(integers_, integers_.find(integer));
  }
  return remove(objects_, objects_.find(&key));
}

void NSCache::removeObjectForKey(const id& key) {
  if (!key) return;
  id removed;
  WriteGuard guard(*this);
  removed = take(*key);
}

void NSCache::removeAllObjects() {
  std::unordered_map<int64_t, Entry> integers;
  std::unordered_map<id, Entry, KeyHash, KeyEqual> objects;
  WriteGuard guard(*this);
  integers.swap(integers_);
  objects.swap(objects_);
  totalCost_ = 0;
}

std::size_t NSCache::countLimit() const {
  std::lock_guard guard(writeLock_);
  return countLimit_;
}

void NSCache::setCountLimit(std::size_t limit) {
  std::vector<id> released;
  WriteGuard guard(*this);
  countLimit_ = limit;
  trim(released);
}

std::size_t NSCache::totalCostLimit() const {
  std::lock_guard guard(writeLock_);
  return totalCostLimit_;
}

void NSCache::setTotalCostLimit(std::size_t limit) {
  std::vector<id> released;
  WriteGuard guard(*this);
  totalCostLimit_ = limit;
  trim(released);
}

std::size_t NSCache::count() const {
  std::lock_guard guard(writeLock_);  // only writers change the maps
  return integers_.size() + objects_.size();
}

bool NSCache::overLimit() const {
  return (countLimit_ > 0 && integers_.size() + objects_.size() > countLimit_) ||
         (totalCostLimit_ > 0 && totalCost_ > totalCostLimit_);
}

void NSCache::trim(std::vector<id>& evicted) {
  while (overLimit()) {
    id value = evictOldest();
    if (!value) return;
    evicted.push_back(std::move(value));
  }
}

id NSCache::evictOldest() {
  // The limits are small, so a scan for the least recently used entry is cheap.
  auto oldestIn = [](auto& map) {
    auto oldest = map.end();
    uint64_t stamp = std::numeric_limits<uint64_t>::max();
    for (auto it = map.begin(); it != map.end(); ++it) {
      uint64_t s = it->second.stamp.load(std::memory_order_relaxed);
      if (s < stamp) stamp = s, oldest = it;
    }
    return std::pair(oldest, stamp);
  };
  auto [integer, integerStamp] = oldestIn(integers_);
  auto [object, objectStamp] = oldestIn(objects_);
  auto remove = [this](auto& map, auto it) -> id {
    id value = std::move(it->second.value);
    totalCost_ -= it->second.cost;
    map.erase(it);
    return value;
  };
  if (integer != integers_.end() && (object == objects_.end() || integerStamp <= objectStamp)) {
    return remove(integers_, integer);
  }
  if (object != objects_.end()) return remove(objects_, object);
  return nullptr;
}
