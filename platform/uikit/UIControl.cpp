#include "uikit/UIControl.h"

#include <algorithm>
#include <typeindex>

namespace {

struct UIControlRuntime {
  static void addTarget(id self, SEL, id target, SEL action, unsigned long events) {
    if (auto control = cast<UIControl>(self)) control->addTarget(target, action, events);
  }
  static void removeTarget(id self, SEL, id target, SEL action, unsigned long events) {
    if (auto control = cast<UIControl>(self)) control->removeTarget(target, action, events);
  }
  static void sendActions(id self, SEL, unsigned long events) {
    if (auto control = cast<UIControl>(self)) control->sendActionsForControlEvents(events);
  }
};

// The platform lets an action take nothing, the sender, or the sender and the event; the method's
// own signature says which.
void sendAction(const id& target, SEL action, const id& sender) {
  Method method = class_getInstanceMethod(object_getClass(target), action);
  if (method && method->signature == std::type_index(typeid(objc_detail::TypedIMP<void>))) {
    objc_msgSend<void()>(target, action);
  } else if (method &&
             method->signature == std::type_index(typeid(objc_detail::TypedIMP<void, id, id>))) {
    objc_msgSend<void(id, id)>(target, action, sender, id());
  } else {
    // Also an unknown selector: the runtime's error says which.
    objc_msgSend<void(id)>(target, action, sender);
  }
}

}  // namespace

Class UIControl::class_() {
  static Class cls = [] {
    Class c = objc_registerClass("UIControl", UIView::class_());
    using R = UIControlRuntime;
    class_addMethod(c, sel_registerName("addTarget:action:forControlEvents:"), R::addTarget,
                    "v@:@:Q");
    class_addMethod(c, sel_registerName("removeTarget:action:forControlEvents:"), R::removeTarget,
                    "v@:@:Q");
    class_addMethod(c, sel_registerName("sendActionsForControlEvents:"), R::sendActions, "v@:Q");
    return c;
  }();
  return cls;
}

UIControl::UIControl(CGRect frame) : UIView(class_(), frame) {}
UIControl::UIControl(Class cls, CGRect frame) : UIView(cls, frame) {}

void UIControl::addTarget(const id& target, SEL action, UIControlEvents events) {
  if (!target || !action || !events) return;
  for (auto& entry : targetActions_) {
    // The same pair again listens to more events rather than sending twice.
    if (entry.target.lock() == target && entry.action == action) {
      entry.events |= events;
      return;
    }
  }
  targetActions_.push_back({target, action, events});
}

void UIControl::removeTarget(const id& target, SEL action, UIControlEvents events) {
  for (auto& entry : targetActions_) {
    if ((!target || entry.target.lock() == target) && (!action || entry.action == action)) {
      entry.events &= ~events;
    }
  }
  std::erase_if(targetActions_, [](const TargetAction& entry) {
    return entry.events == 0 || entry.target.expired();
  });
}

void UIControl::sendActionsForControlEvents(UIControlEvents events) {
  // A copy, and the sender kept alive: an action may add or remove targets, or let go of the
  // control.
  auto entries = targetActions_;
  id sender = self();
  for (const auto& entry : entries) {
    if (!(entry.events & events)) continue;
    if (id target = entry.target.lock()) sendAction(target, entry.action, sender);
  }
}

std::vector<id> UIControl::targetsForControlEvents(UIControlEvents events) const {
  std::vector<id> targets;
  for (const auto& entry : targetActions_) {
    id target = entry.target.lock();
    if (target && (entry.events & events)) targets.push_back(target);
  }
  return targets;
}
