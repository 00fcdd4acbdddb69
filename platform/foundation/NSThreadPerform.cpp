#include "foundation/NSThreadPerform.h"

#include <future>

#include "foundation/Dispatch.h"

void performSelectorOnMainThread(const id& obj, SEL sel, const id& withObject, bool waitUntilDone) {
  if (!obj) return;
  if (waitUntilDone && isMainThread()) {
    performSelector(obj, sel, withObject);
    return;
  }
  if (!waitUntilDone) {
    dispatch_async(dispatch_get_main_queue(),
                   [obj, sel, withObject] { performSelector(obj, sel, withObject); });
    return;
  }
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  dispatch_async(dispatch_get_main_queue(), [obj, sel, withObject, done] {
    try {
      performSelector(obj, sel, withObject);
      done->set_value();
    } catch (...) {
      done->set_exception(std::current_exception());
    }
  });
  finished.get();
}
