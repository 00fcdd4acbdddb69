#include "HostWindows.h"

#include "apps/SpringBoardHomeScreen.h"
#include "foundation/Device.h"
#include "uikit/UIColor.h"
#include "uikit/UIStatusBar.h"
#include "uikit/UIWindow.h"

std::shared_ptr<UIWindow> showHostWindow() {
  auto window = make<UIWindow>();
  auto identifier = NSBundle::mainBundle().bundleIdentifier().value_or("");
  if (identifier == "com.apple.springboard") {
    window->setBackgroundColor(UIColor::colorWithRed(0.12, 0.27, 0.45, 1));
    standin::apps::addHomeScreen(window);
    UIStatusBar::sharedStatusBar()->setLightContent(true);
  } else if (identifier == "net.dravell.callbarviewservice") {
    // The overlay's service draws over SpringBoard: its own window is clear, its status bar white
    // over the home screen.
    window->setBackgroundColor(UIColor::clearColor());
    UIStatusBar::sharedStatusBar()->setLightContent(true);
  } else {
    window->setBackgroundColor(UIColor::whiteColor());
  }
  window->makeKeyAndVisible();
  return window;
}
