// Actions about the process itself: what the module did to it, its settings, Darwin
// notifications, the main loop.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <set>

#include "HostScript.h"
#include "apps/HostClasses.h"
#include "foundation/Device.h"
#include "foundation/Dispatch.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSValueTypes.h"
#include "preferences/NSUserDefaults.h"

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

const char* methodState(const standin::apps::HostMethod& method) {
  Class cls = objc_getClass(method.className.c_str());
  IMP now = class_getMethodImplementation(cls, sel_registerName(method.selector.c_str()));
  return now == method.original ? "original" : "replaced";
}

HostStep printStatus(const HostArguments&, const HostIdentity& identity) {
  auto bundle = NSBundle::mainBundle().bundleIdentifier();
  std::printf("bundle: %s\n", bundle ? bundle->c_str() : "(none)");
  for (const auto& method : standin::apps::registeredHostMethods()) {
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
  std::printf("observers: %zu\n", standin::darwinObserverCount());
  struct stat info {};
  bool redirected = ::fstat(STDERR_FILENO, &info) == 0 &&
                    static_cast<int>(info.st_ino) != identity.originalStandardErrorInode;
  std::printf("stderr: %s\n", redirected ? "redirected" : "untouched");
  return HostStep::Continue;
}

// What the user defaults hold for a domain, as this process reads them: "KEY = VALUE" a line.
HostStep printDefaults(const HostArguments& words, const HostIdentity&) {
  if (!NSUserDefaults::isDomainName(words[0])) throw HostActionFailure("not a domain: " + words[0]);
  std::string reason;
  auto values =
      NSDictionary::dictionaryWithContentsOfFile(NSUserDefaults::pathOfDomain(words[0]), &reason);
  if (!values) throw HostActionFailure(words[0] + ": " + reason);
  for (const auto& [key, value] : values->entries) {
    std::printf("%s = %s\n", key.c_str(), value ? value->description().c_str() : "nil");
  }
  return HostStep::Continue;
}

HostStep observe(const HostArguments& words, const HostIdentity&) {
  CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr,
                                  onNotification, words[0], nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
  return HostStep::Continue;
}

HostStep post(const HostArguments& words, const HostIdentity&) {
  CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), words[0],
                                       nullptr, nullptr, true);
  return HostStep::Continue;
}

// A wait that runs out is reported, not failed: scripts check for the line.
HostStep wait(const HostArguments& words, const HostIdentity&) {
  long milliseconds = words.size() > 1 ? hostMillisecondsArgument("wait", words[1]).count() : 5000;
  const std::string& name = words[0];
  bool arrived = standin::runMainLoopUntil([&] { return received().count(name) > 0; },
                                           std::chrono::milliseconds(milliseconds));
  if (arrived) received().erase(received().find(name));
  if (!arrived) std::printf("timeout %s\n", name.c_str());
  return HostStep::Continue;
}

HostStep run(const HostArguments& words, const HostIdentity&) {
  standin::runMainLoopFor(hostMillisecondsArgument("run", words[0]));
  return HostStep::Continue;
}

HostStep ready(const HostArguments&, const HostIdentity&) {
  std::printf("ready\n");
  return HostStep::Continue;
}

}  // namespace

void addProcessActions(std::vector<HostAction>& actions) {
  actions.push_back({"status", "", "what the module did to this process", 0, 0, printStatus});
  actions.push_back({"defaults", "DOMAIN", "the user defaults of a domain, \"KEY = VALUE\" a line",
                     1, 1, printDefaults});
  actions.push_back({"observe", "NAME", "observe a Darwin notification; prints \"received NAME\"",
                     1, 1, observe});
  actions.push_back({"post", "NAME", "post a Darwin notification", 1, 1, post});
  actions.push_back({"wait", "NAME [MS]",
                     "run the main loop until NAME arrives (5000 ms, then \"timeout NAME\")", 1, 2,
                     wait});
  actions.push_back({"run", "MS", "run the main loop for MS milliseconds", 1, 1, run});
  actions.push_back({"ready", "", "print \"ready\"", 0, 0, ready});
  actions.push_back({"exit", "", "end the program", 0, 0,
                     [](const HostArguments&, const HostIdentity&) { return HostStep::Exit; }});
}
