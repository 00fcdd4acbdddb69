// Actions that drive CallBar's overlay in SpringBoard or its view service: calls coming and
// going, the favourites row, the recent-calls list, scrolling and editing it. The overlay's
// controller is sent what CallBar itself would send it, through the runtime, so that the hook
// module's replacements take part.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "HostScript.h"
#include "apps/CallBar.h"
#include "foundation/NSBundle.h"
#include "foundation/NSValueTypes.h"
#include "uikit/UIColor.h"
#include "uikit/UITableView.h"
#include "uikit/UIWindow.h"

namespace {

constexpr std::size_t kMostCallWords = 16;

// One overlay per process, as CallBar keeps one.
struct Overlay {
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<CallBarControllerModern> controller;
  long callsMade = 0;
};
Overlay& overlay() {
  static Overlay shown;
  return shown;
}

void requireCallBar() {
  auto bundle = NSBundle::mainBundle().bundleIdentifier().value_or("");
  if (bundle != "com.apple.springboard" && bundle != "net.dravell.callbarviewservice") {
    throw HostActionFailure("CallBar's overlay runs only in SpringBoard and its view service");
  }
  if (!CallBarControllerModern::class_()) throw HostActionFailure("CallBar is not installed");
}

// Shows the overlay's window in front, making the controller (and loading its view) once.
std::shared_ptr<CallBarControllerModern> shownOverlay() {
  requireCallBar();
  Overlay& o = overlay();
  if (!o.controller) {
    o.controller =
        cast<CallBarControllerModern>(class_createInstance(CallBarControllerModern::class_()));
    if (!o.controller) throw HostActionFailure("CallBar's controller cannot be made");
    o.window = make<UIWindow>();
    o.window->setBackgroundColor(UIColor::clearColor());
    o.window->setRootViewController(o.controller);
  }
  o.window->makeKeyAndVisible();
  return o.controller;
}

std::shared_ptr<CallBarControllerModern> existingOverlay() {
  requireCallBar();
  if (!overlay().controller) throw HostActionFailure("the overlay has not been shown");
  return overlay().controller;
}

std::shared_ptr<UITableView> shownTable() {
  auto list = existingOverlay()->shownList();
  auto table = list ? cast<UITableView>(objc_msgSend<id()>(list, "tableView")) : nullptr;
  if (!table) throw HostActionFailure("no list is showing (see recents)");
  return table;
}

// A start time. A number too small for a normal double (1e-320) is still a number: strtod sets
// ERANGE for it too, but only a result of HUGE_VAL means one too large to hold.
double secondsArgument(const std::string& word) {
  errno = 0;
  char* end = nullptr;
  double value = std::strtod(word.c_str(), &end);
  if (word.empty() || *end != '\0' || std::isnan(value)) {
    throw HostUsageError("call: '" + word + "' is not a number of seconds");
  }
  if (!std::isfinite(value) || (errno == ERANGE && std::fabs(value) == HUGE_VAL)) {
    throw HostUsageError("call: '" + word + "' seconds is out of range");
  }
  return value;
}

// The party may be written with spaces ("+1 (555) 010-0100"); "at SECONDS" may end the line.
HostStep call(const HostArguments& words, const HostIdentity&) {
  std::size_t partyWords = words.size();
  std::optional<double> start;
  if (words.size() >= 2 && words[words.size() - 2] == "at") {
    start = secondsArgument(words.back());
    partyWords -= 2;
  }
  std::string party;
  for (std::size_t i = 0; i < partyWords; ++i) party += (i ? " " : "") + words[i];
  if (party.empty() || party == "at") {
    throw HostUsageError("call: no party (usage: call PARTY [at SECONDS])");
  }
  return guarded([&] {
    auto controller = shownOverlay();
    Overlay& o = overlay();
    // A fixed start for each call of the script, so that screens compare.
    double startTime = start.value_or(1000 + static_cast<double>(o.callsMade));
    ++o.callsMade;
    id incoming = make<CallBarCall>(party, startTime);
    controller->addCall(incoming);
    objc_msgSend<void(id)>(controller, "setCurrentCall:", incoming);
  });
}

HostStep hangup(const HostArguments&, const HostIdentity&) {
  return guarded([] {
    auto controller = existingOverlay();
    if (controller->calls().empty()) throw HostActionFailure("there is no call to hang up");
    const auto& calls = controller->calls();
    id ending = std::find(calls.begin(), calls.end(), controller->currentCall()) != calls.end()
                    ? controller->currentCall()
                    : calls.front();
    controller->removeCall(ending);
    id next = controller->calls().empty() ? nullptr : controller->calls().front();
    objc_msgSend<void(id)>(controller, "setCurrentCall:", next);
    if (!next) objc_msgSend<void()>(controller, "dismissRootView");
  });
}

HostStep dismiss(const HostArguments&, const HostIdentity&) {
  return guarded([] {
    auto controller = existingOverlay();
    if (overlay().window->isHidden()) throw HostActionFailure("the overlay is not showing");
    objc_msgSend<void(double)>(controller, "dismissRootViewWithDuration:", 0.3);
  });
}

HostStep favorites(const HostArguments&, const HostIdentity&) {
  return guarded([] {
    auto controller = shownOverlay();
    objc_msgSend<void()>(controller, "resetFavorites");
    controller->setFavoritesShown(true);
  });
}

HostStep recents(const HostArguments& words, const HostIdentity&) {
  if (!words.empty() && words[0] != "missed") throw HostUsageError("usage: recents [missed]");
  return guarded([&] {
    auto controller = shownOverlay();
    auto list = cast<UIViewController>(class_createInstance(objc_getClass(kCallBarListClass)));
    if (!list) throw HostActionFailure("CallBar's list cannot be made");
    object_setIvar(list, kCallBarOnlyMissedIvar, !words.empty());
    controller->showList(list);
  });
}

HostStep scroll(const HostArguments& words, const HostIdentity&) {
  long rows = hostNumberArgument("scroll", words[0]);
  return guarded([rows] {
    auto table = shownTable();
    CGFloat most = std::max<CGFloat>(0, table->contentSize().height - table->bounds().size.height);
    CGFloat y = table->contentOffset().y + static_cast<CGFloat>(rows) * table->rowHeight();
    table->setContentOffset(CGPointMake(0, std::clamp<CGFloat>(y, 0, most)));
  });
}

HostStep edit(const HostArguments& words, const HostIdentity&) {
  if (words[0] != "on" && words[0] != "off") throw HostUsageError("usage: edit on|off");
  bool on = words[0] == "on";
  return guarded(
      [on] { objc_msgSend<void(bool, bool)>(shownTable(), "setEditing:animated:", on, false); });
}

}  // namespace

void showListInCallBarOverlay(const std::shared_ptr<UIViewController>& list) {
  guarded([&] { shownOverlay()->showList(list); });
}

void addCallBarActions(std::vector<HostAction>& actions) {
  actions.push_back({"call", "PARTY [at SECONDS]",
                     "a call from or to PARTY (number or e-mail address) in CallBar's overlay", 1,
                     kMostCallWords, call});
  actions.push_back({"hangup", "", "end the current call; the next one shows, or the overlay goes",
                     0, 0, hangup});
  actions.push_back({"dismiss", "", "dismiss CallBar's overlay", 0, 0, dismiss});
  actions.push_back({"favorites", "", "show the overlay's favourites row", 0, 0, favorites});
  actions.push_back(
      {"recents", "[missed]", "show CallBar's recent calls (or the missed ones)", 0, 1, recents});
  actions.push_back(
      {"scroll", "ROWS", "scroll the list shown by ROWS rows (negative: back)", 1, 1, scroll});
  actions.push_back({"edit", "on|off", "editing of the list shown", 1, 1, edit});
}
