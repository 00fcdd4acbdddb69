// Notification centers: the default center (in process, synchronous) and the Darwin center
// (between processes of one device, delivered on the observer's main thread).
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "runtime/objc.h"

class NSNotification : public NSObject {
 public:
  static Class class_();
  NSNotification(std::string name, id object)
      : NSObject(class_()), name(std::move(name)), object(std::move(object)) {}
  const std::string name;
  const id object;
};

class NSNotificationCenter {
 public:
  static NSNotificationCenter& defaultCenter();
  // The observer is sent the selector with the notification (void or id result). It is held
  // weakly, as the platform does not retain observers.
  void addObserver(const id& observer, SEL selector, const std::string& name);
  void removeObserver(const NSObject* observer);
  // Delivers synchronously, on the posting thread, to every observer of the name.
  void postNotificationName(const std::string& name, const id& object);
  std::size_t observerCount(const std::string& name) const;
};

// The Darwin notify center.
struct __CFNotificationCenter;
using CFNotificationCenterRef = __CFNotificationCenter*;
using CFNotificationCallback = void (*)(CFNotificationCenterRef center, void* observer,
                                        const std::string& name, const void* object,
                                        const void* userInfo);
enum CFNotificationSuspensionBehavior {
  CFNotificationSuspensionBehaviorDrop = 1,
  CFNotificationSuspensionBehaviorCoalesce = 2,
  CFNotificationSuspensionBehaviorHold = 3,
  CFNotificationSuspensionBehaviorDeliverImmediately = 4,
};

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter();
void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callback, const std::string& name,
                                     const void* object, CFNotificationSuspensionBehavior behavior);
// Posts to every process of the device that observes the name, this one included.
void CFNotificationCenterPostNotification(CFNotificationCenterRef center, const std::string& name,
                                          const void* object, const void* userInfo,
                                          bool deliverImmediately);

namespace standin {
// The number of Darwin observers registered in this process, all names together.
std::size_t darwinObserverCount();
// Whether a Darwin notification has reached this process and not yet been queued on its main
// queue: until it is, the process is not idle.
bool darwinDeliveryPending();
}  // namespace standin
