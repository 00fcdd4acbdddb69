// Actions that show the system's contact lists and follow changes made by other processes. In
// SpringBoard and CallBar's view service a list shows in CallBar's overlay, as CallBar shows
// it; elsewhere (the Contacts application) it fills a window in front.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "HostScript.h"
#include "apps/CallBar.h"
#include "apps/ContactLists.h"
#include "foundation/Device.h"
#include "foundation/Dispatch.h"
#include "foundation/NSBundle.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSValueTypes.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"
#include "uikit/UITableView.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

namespace {

constexpr long kSettingsWaitMilliseconds = 5000;
constexpr CGFloat kStatusBar = 20, kBarBottom = 64;
constexpr const char* kSettingsNotifications[] = {
    "com.quorvik.TalvoCBEnabledNotification",
    "com.quorvik.TalvoCBRoundedPicturesEnabledNotification",
    "com.quorvik.TalvoCBMonogramPicturesEnabledNotification",
    "com.quorvik.TalvoCBFavoritesEnabledNotification",
    "com.quorvik.TalvoCBPhoneEnabledNotification",
    "com.quorvik.TalvoCBRecentsEnabledNotification",
    "com.quorvik.TalvoCBContactsEnabledNotification"};

bool isCallBarHost() {
  auto bundle = NSBundle::mainBundle().bundleIdentifier().value_or("");
  return bundle == "com.apple.springboard" || bundle == "net.dravell.callbarviewservice";
}

// The list a script shows; one at a time, as the overlay and the Contacts application show one.
struct ShownList {
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UIViewController> list;
};
ShownList& shown() {
  static ShownList list;
  return list;
}

// The application's screen: the status bar, a title bar, the list under them.
std::shared_ptr<UIViewController> applicationScreen(const std::shared_ptr<UIViewController>& list) {
  auto screen = make<UIViewController>();
  auto view = screen->view();
  view->setBackgroundColor(UIColor::whiteColor());
  CGRect bounds = view->bounds();
  auto bar = make<UIView>(CGRectMake(0, 0, bounds.size.width, kBarBottom));
  bar->setBackgroundColor(UIColor::colorWithWhite(0.97, 1));
  auto title = make<UILabel>(CGRectMake(0, kStatusBar, bounds.size.width, kBarBottom - kStatusBar));
  title->setFont(UIFont::boldSystemFontOfSize(17));
  title->setTextAlignment(NSTextAlignmentCenter);
  title->setText(std::string("Contacts"));
  bar->addSubview(title);
  auto rule = make<UIView>(CGRectMake(0, kBarBottom - 0.5, bounds.size.width, 0.5));
  rule->setBackgroundColor(UIColor::colorWithWhite(0.7, 1));
  bar->addSubview(rule);
  screen->addChildViewController(list);
  auto listView = list->view();
  listView->setFrame(CGRectMake(0, kBarBottom, bounds.size.width, bounds.size.height - kBarBottom));
  if (auto table = cast<UIView>(objc_msgSend<id()>(list, "tableView"))) {
    table->setFrame(listView->bounds());
  }
  view->addSubview(listView);
  view->addSubview(bar);
  return screen;
}

void show(const std::shared_ptr<UIViewController>& list) {
  if (!list) throw HostActionFailure("the contact list cannot be made");
  if (isCallBarHost() && CallBarControllerModern::class_()) {
    showListInCallBarOverlay(list);
  } else {
    ShownList& s = shown();
    if (!s.window) s.window = make<UIWindow>();
    s.window->setRootViewController(applicationScreen(list));
    s.window->makeKeyAndVisible();
  }
  shown().list = list;
}

// The version's own list: the Contacts framework's from version 9 on, else AddressBook UI's.
HostStep contacts(const HostArguments&, const HostIdentity&) {
  bool version9 = NSStringDoubleValue(standin::deviceProfile().systemVersion) >= 9.0;
  Class contactList = objc_getClass("CNContactListViewController");
  if (version9 && contactList) {
    show(cast<UIViewController>(class_createInstance(contactList)));
  } else if (objc_getClass("ABMembersViewController")) {
    show(contactlists::makeMembersList(std::nullopt));
  } else {
    throw HostActionFailure("this process has no contact list");
  }
  return HostStep::Continue;
}

HostStep search(const HostArguments& words, const HostIdentity&) {
  std::string text;
  for (std::size_t i = 0; i < words.size(); ++i) text += (i ? " " : "") + words[i];
  if (!objc_getClass("ABMembersViewController")) {
    throw HostActionFailure("this process has no members list");
  }
  show(contactlists::makeMembersList(text));
  return HostStep::Continue;
}

// The contact a row shows: the cell's contact (the Contacts framework's list) or person (the
// members list), each answering recordID.
int32_t rowContact(const std::shared_ptr<UITableViewCell>& cell) {
  for (const char* getter : {"contact", "person"}) {
    if (!respondsToSelector(cell, sel_registerName(getter))) continue;
    id record = objc_msgSend<id()>(cell, getter);
    return record ? objc_msgSend<int32_t()>(record, "recordID") : 0;
  }
  return 0;
}

std::shared_ptr<UITableViewCell> shownRowOf(const UITableView& table, int32_t contact) {
  for (const auto& cell : table.visibleCells()) {
    if (rowContact(cell) == contact) return cell;
  }
  return nullptr;
}

// Scrolls the list shown as a finger would, half a screen at a time from the top, until the
// contact's row is found; then so far that the whole row shows.
HostStep showContact(const HostArguments& words, const HostIdentity&) {
  long contact = hostNumberArgument("show-contact", words[0]);
  auto list = shown().list;
  auto table = list ? cast<UITableView>(objc_msgSend<id()>(list, "tableView")) : nullptr;
  if (!table) throw HostActionFailure("no contact list is showing (see contacts)");
  CGFloat height = table->bounds().size.height;
  CGFloat most = std::max<CGFloat>(0, table->contentSize().height - height);
  auto cell = shownRowOf(*table, static_cast<int32_t>(contact));
  for (CGFloat y = 0; !cell && y <= most + height / 2; y += height / 2) {
    table->setContentOffset(CGPointMake(0, std::min(y, most)));
    cell = shownRowOf(*table, static_cast<int32_t>(contact));
  }
  if (!cell) throw HostActionFailure("no row of the list shows contact " + words[0]);
  CGRect frame = cell->frame();
  CGFloat by = frame.origin.y < 0 ? frame.origin.y
               : frame.origin.y + frame.size.height > height
                   ? std::min(frame.origin.y, frame.origin.y + frame.size.height - height)
                   : 0;
  table->setContentOffset(
      CGPointMake(0, std::clamp<CGFloat>(table->contentOffset().y + by, 0, most)));
  return HostStep::Continue;
}

// Counted after the module's handlers, which registered first and so run first.
long& settingsHandled() {
  static long count = 0;
  return count;
}
void onSettingsNotification(CFNotificationCenterRef, void*, const std::string& name, const void*,
                            const void*) {
  ++settingsHandled();
  std::printf("handled %s\n", name.c_str());
  std::fflush(stdout);
}
void countSettingsNotifications() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  for (const char* name : kSettingsNotifications) {
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr,
                                    onSettingsNotification, name, nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
  }
}

// Notifications are delivered only while the main loop runs, so none is missed between the
// start of this action and the wait.
HostStep settingsChanged(const HostArguments& words, const HostIdentity&) {
  long milliseconds = words.empty()
                          ? kSettingsWaitMilliseconds
                          : hostMillisecondsArgument("settings-changed", words[0]).count();
  countSettingsNotifications();
  long before = settingsHandled();
  bool handled = standin::runMainLoopUntil([before] { return settingsHandled() > before; },
                                           std::chrono::milliseconds(milliseconds));
  if (!handled) {
    throw HostActionFailure("no settings notification arrived within " +
                            std::to_string(milliseconds) + " ms");
  }
  return HostStep::Continue;
}

}  // namespace

void addContactListActions(std::vector<HostAction>& actions) {
  actions.push_back(
      {"contacts", "", "show the contact list of the system version", 0, 0, contacts});
  actions.push_back(
      {"search", "TEXT", "show the members list's search results for TEXT", 1, 16, search});
  actions.push_back({"show-contact", "ID",
                     "scroll the contact list shown until the whole row of contact ID shows", 1, 1,
                     showContact});
  actions.push_back({"settings-changed", "[MS]",
                     "wait until the next settings notification has been handled (5000 ms)", 0, 1,
                     settingsChanged});
}
