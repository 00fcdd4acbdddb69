// Controls send their actions to their targets through the runtime, as a finger's events make
// them: a switch's value-changed, a button's touch-up-inside.
#include <gtest/gtest.h>

#include "uikit/UIButton.h"
#include "uikit/UISwitch.h"

namespace {

std::vector<std::string>& heard() {
  static std::vector<std::string> calls;
  return calls;
}

// A target class whose actions take nothing, the sender, or the sender and the event.
Class listenerClass() {
  static Class cls = [] {
    Class c = objc_registerClass("ControlTestListener", NSObject::class_());
    class_addMethod(
        c, sel_registerName("plain"), +[](id, SEL) { heard().push_back("plain"); }, "v@:");
    class_addMethod(
        c, sel_registerName("changed:"),
        +[](id, SEL, id sender) {
          auto control = cast<UISwitch>(sender);
          heard().push_back(std::string("changed ") + (control && control->isOn() ? "on" : "off"));
        },
        "v@:@");
    class_addMethod(
        c, sel_registerName("tapped:event:"),
        +[](id, SEL, id sender, id event) {
          heard().push_back(cast<UIButton>(sender) && !event ? "tapped" : "wrong");
        },
        "v@:@@");
    return c;
  }();
  return cls;
}

}  // namespace

TEST(Control, EachEventReachesOnlyItsTargetsInOrder) {
  heard().clear();
  id listener = class_createInstance(listenerClass());
  auto toggle = make<UISwitch>();
  objc_msgSend<void(id, SEL, unsigned long)>(toggle, "addTarget:action:forControlEvents:", listener,
                                             sel_registerName("changed:"),
                                             UIControlEventValueChanged);
  toggle->addTarget(listener, sel_registerName("plain"),
                    UIControlEventValueChanged | UIControlEventTouchUpInside);
  // Setting the value sends nothing; the finger's turn is the value-changed event.
  objc_msgSend<void(bool)>(toggle, "setOn:", true);
  EXPECT_TRUE(heard().empty());
  EXPECT_TRUE(objc_msgSend<bool()>(toggle, "isOn"));
  objc_msgSend<void(unsigned long)>(toggle,
                                    "sendActionsForControlEvents:", UIControlEventValueChanged);
  EXPECT_EQ(heard(), (std::vector<std::string>{"changed on", "plain"}));
  heard().clear();
  toggle->sendActionsForControlEvents(UIControlEventTouchUpInside);
  EXPECT_EQ(heard(), std::vector<std::string>{"plain"});

  heard().clear();
  toggle->removeTarget(listener, sel_registerName("plain"), UIControlEventAllEvents);
  toggle->setOn(false);
  toggle->sendActionsForControlEvents(UIControlEventValueChanged);
  EXPECT_EQ(heard(), std::vector<std::string>{"changed off"});

  auto button = make<UIButton>();
  button->addTarget(listener, sel_registerName("tapped:event:"), UIControlEventTouchUpInside);
  heard().clear();
  button->sendActionsForControlEvents(UIControlEventValueChanged);
  button->sendActionsForControlEvents(UIControlEventTouchUpInside);
  EXPECT_EQ(heard(), std::vector<std::string>{"tapped"});
}

TEST(Control, TargetsAreNotKeptAlive) {
  heard().clear();
  auto button = make<UIButton>();
  {
    id listener = class_createInstance(listenerClass());
    button->addTarget(listener, sel_registerName("plain"), UIControlEventTouchUpInside);
    EXPECT_EQ(button->targetsForControlEvents(UIControlEventTouchUpInside).size(), 1u);
  }
  EXPECT_TRUE(button->targetsForControlEvents(UIControlEventTouchUpInside).empty());
  button->sendActionsForControlEvents(UIControlEventTouchUpInside);
  EXPECT_TRUE(heard().empty());
}

TEST(Control, SwitchesAndButtonsAreControlsUnderTheirOwnNames) {
  EXPECT_STREQ(class_getName(class_getSuperclass(UISwitch::class_())), "UIControl");
  EXPECT_STREQ(class_getName(class_getSuperclass(UIButton::class_())), "UIControl");
  EXPECT_STREQ(class_getName(class_getSuperclass(UIControl::class_())), "UIView");
  EXPECT_STREQ(object_getClassName(make<UISwitch>()), "UISwitch");
  EXPECT_STREQ(object_getClassName(make<UIButton>()), "UIButton");
  EXPECT_TRUE(isKindOfClass(make<UIButton>(), UIControl::class_()));
}
