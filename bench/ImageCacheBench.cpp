// A cache hit against a bare hash-map lookup, and cache hits from one and two threads.
#include <benchmark/benchmark.h>

#include <memory>
#include <mutex>
#include <unordered_map>

#include "TalvoCBUtils+Cache.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"

namespace {
constexpr int kContacts = 100;  // the cache's count limit: every lookup below is a hit

// The one place that makes a picture; the cache only keeps and hands back the object.
UIImagePtr makePicture() {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(1, 1), false, 1);
  UIImagePtr picture = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return picture;
}

const std::unordered_map<int, UIImagePtr>& filled() {
  static const std::unordered_map<int, UIImagePtr> pictures = [] {
    std::unordered_map<int, UIImagePtr> map;
    TalvoCBUtils::clearImageCache();
    for (int id = 1; id <= kContacts; ++id) {
      map[id] = makePicture();
      TalvoCBUtils::setContactImage(map[id], id);
    }
    return map;
  }();
  return pictures;
}

// Walks the contacts in a scattered order. Each thread has its own share of the contacts, as
// workers building the rows of one list do: threads that fetched the very same pictures would
// measure the pictures' shared reference counts bouncing between cores, not the cache.
int contactAt(int64_t step, int thread, int threads = 1) {
  int share = kContacts / threads;
  return 1 + thread * share + static_cast<int>((step * 37) % share);
}

void BM_BareMapHit(benchmark::State& state) {
  const auto& map = filled();
  int64_t step = 0;
  for (auto _ : state) {
    // A shared reference comes out, as from the cache.
    UIImagePtr picture = map.find(contactAt(step++, 0))->second;
    benchmark::DoNotOptimize(picture);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareMapHit);

void BM_CacheHit(benchmark::State& state) {
  filled();
  int64_t step = 0;
  for (auto _ : state) {
    UIImagePtr picture = TalvoCBUtils::getContactImageInCache(contactAt(step++, 0));
    benchmark::DoNotOptimize(picture);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CacheHit);

// items_per_second is the throughput of all threads together.
void BM_CacheHitThreads(benchmark::State& state) {
  filled();
  int64_t step = 0;
  int thread = state.thread_index();
  for (auto _ : state) {
    UIImagePtr picture =
        TalvoCBUtils::getContactImageInCache(contactAt(step++, thread, state.threads()));
    benchmark::DoNotOptimize(picture);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CacheHitThreads)->Threads(1)->Threads(2)->UseRealTime();

// The same walk over the bare map: how far the machine itself lets two threads scale.
void BM_BareMapThreads(benchmark::State& state) {
  const auto& map = filled();
  int64_t step = 0;
  int thread = state.thread_index();
  for (auto _ : state) {
    UIImagePtr picture = map.find(contactAt(step++, thread, state.threads()))->second;
    benchmark::DoNotOptimize(picture);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareMapThreads)->Threads(1)->Threads(2)->UseRealTime();
}  // namespace

BENCHMARK_MAIN();
