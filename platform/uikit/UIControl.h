// Controls: views that send an action to a target when an event happens to them, as a finger
// makes it happen (a switch turned, a button tapped). Targets are not retained, as on the
// platform. Main thread only.
//
// Runtime methods: addTarget:action:forControlEvents: (void(id, SEL, unsigned long)),
// removeTarget:action:forControlEvents: (the same), sendActionsForControlEvents:
// (void(unsigned long)).
#pragma once

#include <memory>
#include <vector>

#include "uikit/UIView.h"

using UIControlEvents = unsigned long;
enum : UIControlEvents {
  UIControlEventTouchDown = 1UL << 0,
  UIControlEventTouchUpInside = 1UL << 6,
  UIControlEventTouchUpOutside = 1UL << 7,
  UIControlEventValueChanged = 1UL << 12,
  UIControlEventAllEvents = 0xFFFFFFFFUL,
};

class UIControl : public UIView {
 public:
  static Class class_();
  explicit UIControl(CGRect frame = {});

  void addTarget(const id& target, SEL action, UIControlEvents events);
  // A nil target or action matches any.
  void removeTarget(const id& target, SEL action, UIControlEvents events);
  // Sends the action of every target registered for any of the events, in the order they were
  // added. An action takes nothing, the sender, or the sender and the event (nil here).
  void sendActionsForControlEvents(UIControlEvents events);
  // Targets still alive that listen to any of the events.
  std::vector<id> targetsForControlEvents(UIControlEvents events) const;

 protected:
  UIControl(Class cls, CGRect frame);

 private:
  struct TargetAction {
    std::weak_ptr<NSObject> target;
    SEL action;
    UIControlEvents events;
  };
  std::vector<TargetAction> targetActions_;
};
