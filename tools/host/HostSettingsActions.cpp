// Actions of the Settings application: it loads the add-on's pane bundle from its device path
// with dlopen, makes the bundle's principal class by name and shows its rows; the actions then
// switch and tap rows as a finger would, and open the pages that links lead to.
#include <dlfcn.h>

#include <chrono>
#include <cstdio>

#include "HostScript.h"
#include "foundation/Device.h"
#include "foundation/Dispatch.h"
#include "foundation/NSBundle.h"
#include "foundation/NSValueTypes.h"
#include "messageui/MFMailComposeViewController.h"
#include "preferences/NSUserDefaults.h"
#include "preferences/PSListController.h"
#include "uikit/UIAlertView.h"
#include "uikit/UIButton.h"
#include "uikit/UIColor.h"
#include "uikit/UIControl.h"
#include "uikit/UIWindow.h"

namespace {

constexpr const char* kPaneBundle = "/System/Library/PreferenceBundles/TalvoCBSettings.bundle";
constexpr auto kMailTimeout = std::chrono::milliseconds(5000);

struct SettingsApp {
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<PSListController> root;
  std::shared_ptr<PSListController> shown;
};
SettingsApp& settingsApp() {
  static SettingsApp app;
  return app;
}

void requireSettings() {
  if (NSBundle::mainBundle().bundleIdentifier().value_or("") != "com.apple.Preferences") {
    throw HostActionFailure(
        "the pane runs only in the Settings application (com.apple.Preferences)");
  }
}

void show(const std::shared_ptr<PSListController>& page) {
  SettingsApp& app = settingsApp();
  app.shown = page;
  app.window->setRootViewController(page);
  app.window->makeKeyAndVisible();
}

// Loads the bundle once and makes its principal class, sized to the screen.
std::shared_ptr<PSListController> loadPane() {
  auto bundle = NSBundle::bundleWithPath(kPaneBundle);
  if (!bundle) throw HostActionFailure(std::string("no pane bundle at ") + kPaneBundle);
  auto info = NSDictionary::dictionaryWithContentsOfFile(std::string(kPaneBundle) + "/Info.plist");
  auto executable = info ? stringValue(info->objectForKey("CFBundleExecutable")) : std::nullopt;
  auto principal = info ? stringValue(info->objectForKey("NSPrincipalClass")) : std::nullopt;
  if (!executable || !principal || executable->find('/') != std::string::npos) {
    throw HostActionFailure("the pane bundle's Info.plist names no executable or principal class");
  }
  std::string binary = fileSystemRepresentation(std::string(kPaneBundle) + "/" + *executable);
  if (!::dlopen(binary.c_str(), RTLD_NOW | RTLD_GLOBAL)) {
    throw HostActionFailure(std::string("cannot load the pane: ") + ::dlerror());
  }
  auto page = cast<PSListController>(class_createInstance(objc_getClass(principal->c_str())));
  if (!page)
    throw HostActionFailure("the pane's principal class " + *principal + " is no list page");
  page->setBundle(bundle);
  CGSize size = CGSizeMake(standin::deviceProfile().width, standin::deviceProfile().height);
  page = cast<PSListController>(objc_msgSend<id(CGSize)>(page, "initForContentSize:", size));
  if (!page) throw HostActionFailure("the pane's page did not initialise");
  return page;
}

std::shared_ptr<PSListController> rootPage() {
  requireSettings();
  SettingsApp& app = settingsApp();
  if (!app.root) {
    app.window = make<UIWindow>();
    app.window->setBackgroundColor(UIColor::whiteColor());
    app.root = loadPane();
    show(app.root);
  }
  return app.root;
}

std::shared_ptr<PSListController> shownPage() {
  rootPage();
  return settingsApp().shown;
}

HostStep pane(const HostArguments&, const HostIdentity&) {
  return guarded([] { show(rootPage()); });
}

HostStep flip(const HostArguments& words, const HostIdentity&) {
  if (words[1] != "on" && words[1] != "off") throw HostUsageError("usage: switch KEY on|off");
  return guarded([&] {
    auto page = shownPage();
    auto row = page->specifierWithKey(words[0]);
    if (!row || row->cellType() != PSSwitchCell) {
      throw HostActionFailure("no switch row for " + words[0] + " is showing");
    }
    // As a finger turns it: the switch takes the value and sends its value-changed actions.
    auto control = page->switchForSpecifier(row);
    if (!control) throw HostActionFailure("the row of " + words[0] + " shows no switch");
    std::size_t alertsBefore = UIAlertView::shownAlerts().size();
    objc_msgSend<void(bool)>(control, "setOn:", words[1] == "on");
    objc_msgSend<void(unsigned long)>(control,
                                      "sendActionsForControlEvents:", UIControlEventValueChanged);
    if (const auto& failure = NSUserDefaults::standardUserDefaults()->lastFailure()) {
      std::string said;
      if (UIAlertView::shownAlerts().size() > alertsBefore) {
        auto alert = UIAlertView::shownAlerts().back();
        said = "; the page says \"" + alert->title().value_or("") + "\": \"" +
               alert->message().value_or("") + "\"";
      }
      throw HostActionFailure(words[0] + " was not saved: " + *failure + said);
    }
  });
}

// Taps the row; a link shows the page it opens.
void tapRow(const std::shared_ptr<PSListController>& page,
            const std::shared_ptr<PSSpecifier>& row) {
  if (auto next = page->tap(row)) show(next);
}

HostStep tap(const HostArguments& words, const HostIdentity&) {
  std::string title;
  for (const std::string& word : words) title += (title.empty() ? "" : " ") + word;
  return guarded([&] {
    auto page = shownPage();
    auto row = page->specifierNamed(title);
    if (!row || (row->cellType() != PSButtonCell && row->cellType() != PSLinkCell)) {
      throw HostActionFailure("no button or link row \"" + title + "\" is showing");
    }
    tapRow(page, row);
  });
}

std::shared_ptr<PSSpecifier> rowWhere(const std::shared_ptr<PSListController>& page,
                                      const std::function<bool(const PSSpecifier&)>& test) {
  for (const auto& row : page->shownSpecifiers()) {
    if (test(*row)) return row;
  }
  return nullptr;
}

// The composer the pane presented, still showing.
std::shared_ptr<MFMailComposeViewController> shownComposer() {
  auto page = settingsApp().shown;
  auto composer =
      page ? cast<MFMailComposeViewController>(page->presentedViewController()) : nullptr;
  if (!composer) throw HostActionFailure("no mail composer is showing (see mail-compose)");
  return composer;
}

// Opens the pane's second page and taps its mail row; answers false when the page said, in an
// alert, that no mail can go, which is printed as "mail: not sent (...)".
bool composeLogMail() {
  auto root = rootPage();
  show(root);
  auto link =
      rowWhere(root, [](const PSSpecifier& row) { return row.detailClassName.has_value(); });
  if (!link) throw HostActionFailure("the pane shows no link to its second page");
  tapRow(root, link);
  auto page = settingsApp().shown;
  auto mailRow =
      rowWhere(page, [](const PSSpecifier& row) { return row.action == "emailLogFile:"; });
  if (!mailRow) throw HostActionFailure("the second page has no mail row");
  std::size_t alertsBefore = UIAlertView::shownAlerts().size();
  page->tap(mailRow);
  if (UIAlertView::shownAlerts().size() > alertsBefore) {
    std::printf("mail: not sent (%s)\n",
                UIAlertView::shownAlerts().back()->message().value_or("").c_str());
    return false;
  }
  shownComposer();
  return true;
}

// Taps the composer's Send button, as a finger would, and waits until the pane dismissed it.
void sendShownMail() {
  auto composer = shownComposer();
  auto page = settingsApp().shown;
  std::shared_ptr<UIButton> send;
  std::vector<std::shared_ptr<UIView>> views = {composer->view()};
  while (!views.empty() && !send) {
    auto view = views.back();
    views.pop_back();
    auto button = cast<UIButton>(view);
    if (button && button->title() == "Send") send = button;
    for (const auto& sub : view->subviews()) views.push_back(sub);
  }
  if (!send) throw HostActionFailure("the mail composer shows no Send button");
  send->sendActionsForControlEvents(UIControlEventTouchUpInside);
  if (!standin::runMainLoopUntil([&] { return !page->presentedViewController(); }, kMailTimeout)) {
    throw HostActionFailure("the mail composer was never dismissed");
  }
  if (!composer->sentMessagePath()) {
    throw HostActionFailure("the message was not sent: " + composer->failureReason());
  }
  std::printf("mail: %s\n", composer->sentMessagePath()->c_str());
}

HostStep mailCompose(const HostArguments&, const HostIdentity&) {
  return guarded([] { composeLogMail(); });
}

HostStep mailSend(const HostArguments&, const HostIdentity&) {
  return guarded([] { sendShownMail(); });
}

HostStep mailLog(const HostArguments&, const HostIdentity&) {
  return guarded([] {
    if (composeLogMail()) sendShownMail();
  });
}

}  // namespace

void addSettingsActions(std::vector<HostAction>& actions) {
  actions.push_back({"pane", "", "Settings: show the add-on's pane (its root page)", 0, 0, pane});
  actions.push_back(
      {"switch", "KEY on|off", "Settings: switch the row of a settings key", 2, 2, flip});
  actions.push_back(
      {"tap", "TITLE", "Settings: tap a button or link row of the page shown", 1, 8, tap});
  actions.push_back({"mail-compose", "",
                     "Settings: open the pane's second page and tap its mail row (the composer "
                     "shows)",
                     0, 0, mailCompose});
  actions.push_back({"mail-send", "", "Settings: tap Send in the composer shown", 0, 0, mailSend});
  actions.push_back({"mail-log", "", "Settings: mail-compose, then mail-send", 0, 0, mailLog});
}
