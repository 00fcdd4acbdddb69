#include "HostWindows.h"

#include "foundation/Device.h"
#include "uikit/UIColor.h"
#include "uikit/UIWindow.h"

namespace {
constexpr double kDockHeight = 96;
}  // namespace

std::shared_ptr<UIWindow> showHostWindow() {
  auto window = make<UIWindow>();
  auto identifier = NSBundle::mainBundle().bundleIdentifier().value_or("");
  if (identifier == "com.apple.springboard") {
    // The home screen: a wallpaper colour and the dock's frosted band.
    window->setBackgroundColor(UIColor::colorWithRed(0.12, 0.27, 0.45, 1));
    CGRect b = window->bounds();
    auto dock = make<UIView>(CGRectMake(0, b.size.height - kDockHeight, b.size.width, kDockHeight));
    dock->setBackgroundColor(UIColor::whiteColor());
    dock->setAlpha(0.3);
    window->addSubview(dock);
  } else if (identifier == "net.dravell.callbarviewservice") {
    // The overlay's service draws over SpringBoard: its own window is clear.
    window->setBackgroundColor(UIColor::clearColor());
  } else {
    window->setBackgroundColor(UIColor::whiteColor());
  }
  window->makeKeyAndVisible();
  return window;
}
