// The window each host application starts with, and the sample screen a script can show.
#pragma once

#include <memory>

class UIWindow;

// SpringBoard shows its home screen (the wallpaper and the dock); CallBar's view service a clear
// window; every other process a plain white one. The window is made visible in front.
std::shared_ptr<UIWindow> showHostWindow();

// A test screen in front of the others: a list of rows with pictures and labels (the device's
// contacts through the library when it has some, plain coloured pictures otherwise), a button
// and a switch.
std::shared_ptr<UIWindow> showSampleScreen();
