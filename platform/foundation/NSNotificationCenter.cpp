#include "foundation/NSNotificationCenter.h"

#include <mutex>
#include <vector>

STANDIN_DEFINE_CLASS(NSNotification, NSObject)

namespace {
struct Observation {
  std::weak_ptr<NSObject> observer;
  const NSObject* identity;
  SEL selector;
  std::string name;
};
// Never destroyed: observers still leave the center from their dealloc while the process exits.
std::mutex& centerLock() {
  static auto* lock = new std::mutex;
  return *lock;
}
std::vector<Observation>& observations() {
  static auto* list = new std::vector<Observation>;
  return *list;
}
}  // namespace

// Never destroyed: workers may post to it while the process exits.
NSNotificationCenter& NSNotificationCenter::defaultCenter() {
  static auto* center = new NSNotificationCenter;
  return *center;
}

void NSNotificationCenter::addObserver(const id& observer, SEL selector, const std::string& name) {
  if (!observer || !selector) return;
  std::lock_guard guard(centerLock());
  observations().push_back({observer, observer.get(), selector, name});
}

void NSNotificationCenter::removeObserver(const NSObject* observer) {
  std::lock_guard guard(centerLock());
  std::erase_if(observations(), [&](const Observation& o) { return o.identity == observer; });
}

void NSNotificationCenter::postNotificationName(const std::string& name, const id& object) {
  std::vector<std::pair<id, SEL>> targets;
  {
    std::lock_guard guard(centerLock());
    std::erase_if(observations(), [](const Observation& o) { return o.observer.expired(); });
    for (const Observation& o : observations()) {
      if (o.name != name) continue;
      if (id live = o.observer.lock()) targets.emplace_back(live, o.selector);
    }
  }
  id notification = make<NSNotification>(name, object);
  for (auto& [observer, selector] : targets) performSelector(observer, selector, notification);
}

std::size_t NSNotificationCenter::observerCount(const std::string& name) const {
  std::lock_guard guard(centerLock());
  std::size_t count = 0;
  for (const Observation& o : observations()) count += o.name == name && !o.observer.expired();
  return count;
}
