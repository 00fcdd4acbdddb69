// CallBar's recent-calls list: a table of the history's entries, all of them or the missed ones
// (the onlyMissed variable chooses), whose data source is the controller through the runtime.
#include "addressbook/ABAddressBook.h"
#include "apps/CallBar.h"
#include "apps/CallBarFiles.h"
#include "apps/CallBarListRows.h"
#include "apps/HostListTable.h"
#include "apps/HostMethods.h"
#include "uikit/UIColor.h"
#include "uikit/UITableView.h"

using standin::apps::detail::classNamed;
using standin::apps::detail::define;

namespace callbar {
namespace {

constexpr const char* kCellIdentifier = "CallBarRecentCell";
constexpr CGFloat kRowHeight = 56;

// The list's own address book, made on first use and released with the list.
class ListAddressBook : public NSObject {
 public:
  ~ListAddressBook() override {
    if (book) CFRelease(book);
  }
  ABAddressBookRef book = ABAddressBookCreate();
};

ABAddressBookRef bookOf(const id& list) {
  auto holder = cast<ListAddressBook>(object_getIvar<id>(list, "_addressBook"));
  if (!holder) {
    holder = make<ListAddressBook>();
    object_setIvar(list, "_addressBook", holder);
  }
  return holder->book;
}

std::shared_ptr<NSArray> entriesOf(const id& list) {
  bool missed = object_getIvar<bool>(list, kCallBarOnlyMissedIvar, false);
  return cast<NSArray>(object_getIvar<id>(list, missed ? "_missedEntries" : "_allEntries"));
}

void viewDidLoad(id self, SEL cmd) {
  objc_msgSendSuper<void()>(objc_getClass(kCallBarListClass), self, cmd);
  auto table = standin::apps::detail::addListTable(self, UIColor::clearColor(), kRowHeight);
  if (!table) return;
  std::vector<id> all = readHistory();
  object_setIvar(self, "_missedEntries", make<NSArray>(missedEntries(all)));
  object_setIvar(self, "_allEntries", make<NSArray>(std::move(all)));
  objc_msgSend<void()>(table, "reloadData");
}

void dealloc(id self, SEL cmd) {
  objc_msgSendSuper<void()>(objc_getClass(kCallBarListClass), self, cmd);
}

long numberOfRows(id self, SEL, id, long) {
  auto entries = entriesOf(self);
  return entries ? static_cast<long>(entries->items.size()) : 0;
}

id cellForRow(id self, SEL, id tableView, id indexPath) {
  auto table = cast<UITableView>(tableView);
  auto path = cast<NSIndexPath>(indexPath);
  if (!table || !path) return nullptr;
  auto cell = standin::apps::detail::reusedOrNewCell(
      *table, kCellIdentifier, objc_getClass("CallBarTableViewTransparentCell"));
  auto entries = entriesOf(self);
  long row = path->row();
  if (cell && entries && row >= 0 && row < static_cast<long>(entries->items.size())) {
    fillCell(cell, entries->items[static_cast<std::size_t>(row)], bookOf(self));
  }
  return cell;
}

}  // namespace

void registerCallBarListClass() {
  Class list = classNamed(kCallBarListClass, UIViewController::class_());
  define(list, "viewDidLoad", viewDidLoad, "v@:");
  define(list, "dealloc", dealloc, "v@:");
  define(list, "tableView", standin::apps::detail::listTableView, "@@:");
  define(list, "tableView:numberOfRowsInSection:", numberOfRows, "q@:@q");
  define(list, "tableView:cellForRowAtIndexPath:", cellForRow, "@@:@@");
}

}  // namespace callbar
