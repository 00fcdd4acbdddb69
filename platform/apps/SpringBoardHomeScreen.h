// SpringBoard's home screen behind its windows: the wallpaper, the icons with their names and the
// dock.
#pragma once

#include <memory>

class UIWindow;

namespace standin::apps {

// Adds the home screen's views to the window, filling it.
void addHomeScreen(const std::shared_ptr<UIWindow>& window);

}  // namespace standin::apps
