// Alerts: shown in front, remembered, answered once through the delegate.
#include <gtest/gtest.h>

#include "TemporaryDevice.h"
#include "screens/ViewTreeDump.h"
#include "uikit/UIAlertView.h"
#include "uikit/UIButton.h"
#include "uikit/UIWindow.h"

namespace {
std::vector<long>& clicks() {
  static std::vector<long> answered;
  return answered;
}

id delegate() {
  Class cls = objc_registerClass("AlertTestDelegate", NSObject::class_());
  class_addMethod(
      cls, sel_registerName("alertView:clickedButtonAtIndex:"),
      +[](id, SEL, id alert, long index) {
        EXPECT_TRUE(cast<UIAlertView>(alert));
        clicks().push_back(index);
      },
      "v@:@q");
  return make<NSObject>(cls);
}
}  // namespace

TEST(Alert, ShownInFrontRememberedAndAnsweredOnce) {
  TemporaryDevice device;
  UIWindow::removeAllWindows();
  UIAlertView::forgetShownAlerts();
  clicks().clear();
  auto window = make<UIWindow>();
  window->makeKeyAndVisible();
  id answer = delegate();
  auto alert = make<UIAlertView>("Send log", "Mail the log to support?", answer, "Cancel",
                                 std::vector<std::string>{"Send"});
  alert->show();
  EXPECT_EQ(UIAlertView::visibleAlert(), alert);
  EXPECT_EQ(alert->superview(), window);
  // In the middle of the screen, its texts and buttons in the dump.
  CGRect f = alert->frame();
  EXPECT_NEAR(f.origin.x + f.size.width / 2, window->bounds().size.width / 2, 0.5);
  auto record = standin::describeViewTree(window).subviews.at(0);
  EXPECT_EQ(record.className, "UIAlertView");
  std::vector<std::string> texts;
  for (const auto& sub : record.subviews) {
    if (sub.text) texts.push_back(*sub.text);
  }
  EXPECT_EQ(texts,
            (std::vector<std::string>{"Send log", "Mail the log to support?", "Cancel", "Send"}));

  EXPECT_FALSE(alert->dismissWithClickedButtonIndex(2));
  EXPECT_TRUE(clicks().empty());
  // Tapping the button's view is the same as the host's tap-alert.
  auto buttons = alert->subviews();
  cast<UIButton>(buttons.back())->sendActionsForControlEvents(UIControlEventTouchUpInside);
  EXPECT_EQ(clicks(), std::vector<long>{1});
  EXPECT_FALSE(alert->isVisible());
  EXPECT_FALSE(alert->superview());
  EXPECT_FALSE(UIAlertView::visibleAlert());
  EXPECT_FALSE(alert->dismissWithClickedButtonIndex(0));
  EXPECT_EQ(clicks().size(), 1u);
  EXPECT_EQ(UIAlertView::shownAlerts().size(), 1u);
  UIWindow::removeAllWindows();
  UIAlertView::forgetShownAlerts();
}
