// Actions about what the screen shows: layout, snapshots and dumps of the frontmost window, the
// sample screen, alerts, and waiting until the work in flight is done.
#include <charconv>
#include <chrono>
#include <cstdio>

#include "HostScript.h"
#include "HostWindows.h"
#include "foundation/Dispatch.h"
#include "foundation/ProcessIdle.h"
#include "foundation/PropertyList.h"
#include "screens/ScreenPNG.h"
#include "screens/ScreenRenderer.h"
#include "screens/ScreenThumbnail.h"
#include "screens/ViewTreeDump.h"
#include "uikit/UIAlertView.h"
#include "uikit/UIButton.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

namespace {

std::shared_ptr<UIWindow> frontmost() {
  auto window = UIWindow::frontmostWindow();
  if (!window) throw HostActionFailure("no window is showing");
  return window;
}

// "cannot write FILE: why", without the write's own "cannot be written: " before the why.
HostActionFailure writeFailure(const std::string& file, std::string reason) {
  const std::string prefix = "cannot be written: ";
  if (reason.rfind(prefix, 0) == 0) reason.erase(0, prefix.size());
  return HostActionFailure("cannot write " + file + ": " + reason);
}

HostStep layout(const HostArguments&, const HostIdentity&) {
  standin::layoutViewTree(frontmost());
  return HostStep::Continue;
}

// The screen: every window that shows, back to front, so that a window with clear parts (an
// overlay) shows what lies behind it. Each is laid out first, as the platform does before it
// draws.
UIImagePtr renderScreen(const std::shared_ptr<UIWindow>& front) {
  std::vector<std::shared_ptr<UIView>> shown;
  for (const auto& window : UIWindow::windows()) {
    if (window->isHidden()) continue;
    standin::layoutViewTree(window);
    shown.push_back(window);
  }
  return shown.empty() ? nullptr : standin::renderViewTrees(shown, front->bounds().size);
}

// FILE.png, and with "thumbnail=WIDTH" its thumbnail beside it (FILE.thumb.jpg), both from one
// drawing of the screen.
HostStep snapshot(const HostArguments& words, const HostIdentity&) {
  const std::string& file = words[0];
  int thumbnailWidth = 0;
  if (words.size() > 1) {
    const std::string prefix = "thumbnail=";
    const std::string& word = words[1];
    const char* end = word.data() + word.size();
    auto [stop, error] = word.rfind(prefix, 0) == 0
                             ? std::from_chars(word.data() + prefix.size(), end, thumbnailWidth)
                             : std::from_chars_result{word.data(), std::errc::invalid_argument};
    if (error != std::errc() || stop != end || thumbnailWidth < 1 || thumbnailWidth > 10000) {
      throw HostUsageError("snapshot: " + quotedStart(word) +
                           " is not thumbnail=WIDTH, a width of 1 to 10000 pixels");
    }
  }
  auto image = renderScreen(frontmost());
  if (!image) throw HostActionFailure("the window has no pixels to draw");
  std::string reason;
  if (!standin::writeScreenPNG(image, file, &reason)) throw writeFailure(file, reason);
  if (thumbnailWidth) {
    bool png = file.size() > 4 && file.compare(file.size() - 4, 4, ".png") == 0;
    std::string thumbnail = (png ? file.substr(0, file.size() - 4) : file) + ".thumb.jpg";
    if (!standin::writeScreenThumbnail(CGImageGetSurface(image->CGImage()), thumbnailWidth,
                                       thumbnail, &reason)) {
      throw writeFailure(thumbnail, reason);
    }
  }
  return HostStep::Continue;
}

// A frame of the screen, drawn and let go: what a snapshot costs without its file.
HostStep frame(const HostArguments&, const HostIdentity&) {
  if (!renderScreen(frontmost())) throw HostActionFailure("the window has no pixels to draw");
  return HostStep::Continue;
}

HostStep dump(const HostArguments& words, const HostIdentity&) {
  auto window = frontmost();
  standin::layoutViewTree(window);
  std::string text = standin::viewTreeJSON(standin::describeViewTree(window));
  std::string reason;
  if (!writeRealFileWhole(words[0], std::vector<uint8_t>(text.begin(), text.end()), &reason)) {
    throw writeFailure(words[0], reason);
  }
  return HostStep::Continue;
}

// Idle: nothing queued on any operation queue of the process nor on the main queue.
HostStep waitIdle(const HostArguments& words, const HostIdentity&) {
  long milliseconds =
      words.empty() ? 10000 : hostMillisecondsArgument("wait-idle", words[0]).count();
  if (!standin::runMainLoopUntilIdle(std::chrono::milliseconds(milliseconds))) {
    throw HostActionFailure("still busy after " + std::to_string(milliseconds) + " ms");
  }
  return HostStep::Continue;
}

HostStep tapAlert(const HostArguments& words, const HostIdentity&) {
  long index = hostNumberArgument("tap-alert", words[0]);
  auto alert = UIAlertView::visibleAlert();
  if (!alert) throw HostActionFailure("no alert is showing");
  auto button = alert->buttonAtIndex(index);
  if (!button) {
    throw HostActionFailure("the alert has no button " + std::to_string(index) + " (it has " +
                            std::to_string(alert->numberOfButtons()) + ")");
  }
  // A finger's tap: the button sends its touch-up-inside actions, which dismiss the alert.
  objc_msgSend<void(unsigned long)>(button,
                                    "sendActionsForControlEvents:", UIControlEventTouchUpInside);
  std::printf("tapped %ld \"%s\"\n", index, alert->buttonTitles()[index].c_str());
  return HostStep::Continue;
}

HostStep listAlerts(const HostArguments&, const HostIdentity&) {
  for (const auto& alert : UIAlertView::shownAlerts()) {
    std::string buttons;
    for (const auto& title : alert->buttonTitles())
      buttons += (buttons.empty() ? "" : ", ") + title;
    std::printf("alert \"%s\" \"%s\" [%s] %s\n", alert->title().value_or("").c_str(),
                alert->message().value_or("").c_str(), buttons.c_str(),
                alert->isVisible() ? "showing" : "dismissed");
  }
  return HostStep::Continue;
}

// Closes the controller in front: a presented one is dismissed, else the window's root is taken
// away. The host keeps no other reference, so the controller goes and is sent dealloc.
HostStep closeFrontController(const HostArguments&, const HostIdentity&) {
  auto window = frontmost();
  auto front = window->frontmostViewController();
  if (!front) throw HostActionFailure("no controller is showing");
  std::string name = object_getClassName(front);
  if (auto presenter = front->presentingViewController()) {
    front.reset();
    presenter->dismissViewControllerAnimated(false, nullptr);
  } else {
    front.reset();
    window->setRootViewController(nullptr);
  }
  std::printf("closed %s\n", name.c_str());
  return HostStep::Continue;
}

HostStep sampleScreen(const HostArguments&, const HostIdentity&) {
  showSampleScreen();
  return HostStep::Continue;
}

}  // namespace

void addScreenActions(std::vector<HostAction>& actions) {
  actions.push_back({"layout", "", "lay the frontmost window out", 0, 0, layout});
  actions.push_back({"snapshot", "FILE.png [thumbnail=WIDTH]",
                     "draw the frontmost window into a PNG file, and a thumbnail WIDTH pixels wide "
                     "beside it (FILE.thumb.jpg)",
                     1, 2, snapshot});
  actions.push_back({"frame", "", "draw the screen once, into no file", 0, 0, frame});
  actions.push_back(
      {"dump", "FILE.json", "describe the frontmost window's views as JSON", 1, 1, dump});
  actions.push_back({"wait-idle", "[MS]",
                     "run the main loop until it and every operation queue are idle (10000 ms)", 0,
                     1, waitIdle});
  actions.push_back({"close", "",
                     "close the controller in front (dismissed, or taken from the window) and "
                     "release it",
                     0, 0, closeFrontController});
  actions.push_back({"sample-screen", "", "show the sample screen in front", 0, 0, sampleScreen});
  actions.push_back(
      {"tap-alert", "INDEX", "tap a button of the alert showing (0: the first)", 1, 1, tapAlert});
  actions.push_back({"alerts", "", "list the alerts shown, with their buttons", 0, 0, listAlerts});
}
