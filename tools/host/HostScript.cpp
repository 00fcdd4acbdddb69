#include "HostScript.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "TALCBSettings.h"
#include "foundation/Device.h"
#include "foundation/Dispatch.h"
#include "foundation/NSNotificationCenter.h"
#include "hosts/HostClasses.h"

namespace {

std::multiset<std::string>& received() {
  static std::multiset<std::string> names;
  return names;
}

void onNotification(CFNotificationCenterRef, void*, const std::string& name, const void*,
                    const void*) {
  received().insert(name);
  std::printf("received %s\n", name.c_str());
  std::fflush(stdout);
}

const char* methodState(const sim::hosts::HostMethod& method) {
  Class cls = objc_getClass(method.className.c_str());
  IMP now = class_getMethodImplementation(cls, sel_registerName(method.selector.c_str()));
  return now == method.original ? "original" : "replaced";
}

void printStatus(const HostIdentity& identity) {
  auto bundle = NSBundle::mainBundle().bundleIdentifier();
  std::printf("bundle: %s\n", bundle ? bundle->c_str() : "(none)");
  for (const auto& method : sim::hosts::registeredHostMethods()) {
    std::printf("hook -[%s %s]: %s\n", method.className.c_str(), method.selector.c_str(),
                methodState(method));
  }
  for (auto [className, selector] :
       {std::pair{"CallBarControllerModern", "talvoCBSettingsChanged:"},
        {"CallBarABViewController", "talvoCBSettingsChanged:"},
        {"CallBarTableViewTransparentCell", "initialize"}}) {
    Class cls = objc_getClass(className);
    if (!cls) continue;
    bool added = class_getOwnMethod(cls, sel_registerName(selector));
    std::printf("added -[%s %s]: %s\n", className, selector, added ? "yes" : "no");
  }
  std::printf("observers: %zu\n", sim::darwinObserverCount());
  struct stat info {};
  bool redirected = ::fstat(STDERR_FILENO, &info) == 0 &&
                    static_cast<int>(info.st_ino) != identity.originalStandardErrorInode;
  std::printf("stderr: %s\n", redirected ? "redirected" : "untouched");
}

}  // namespace

bool runHostAction(const std::string& line, const HostIdentity& identity) {
  std::istringstream words(line);
  std::string action, argument;
  words >> action >> argument;
  if (action.empty() || action[0] == '#') return true;
  if (action == "exit") return false;
  if (action == "status") {
    printStatus(identity);
  } else if (action == "settings") {
    std::printf("%s\n", TALCBSettings::sharedSettings()->description().c_str());
  } else if (action == "observe") {
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr,
                                    onNotification, argument, nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
  } else if (action == "post") {
    CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), argument,
                                         nullptr, nullptr, true);
  } else if (action == "wait") {
    long milliseconds = 5000;
    words >> milliseconds;
    bool arrived = sim::runMainLoopUntil([&] { return received().count(argument) > 0; },
                                         std::chrono::milliseconds(milliseconds));
    if (arrived) received().erase(received().find(argument));
    if (!arrived) std::printf("timeout %s\n", argument.c_str());
  } else if (action == "run") {
    sim::runMainLoopFor(std::chrono::milliseconds(std::stol(argument.empty() ? "0" : argument)));
  } else if (action == "ready") {
    std::printf("ready\n");
  } else {
    std::printf("error: unknown action '%s'\n", action.c_str());
  }
  std::fflush(stdout);
  return true;
}
