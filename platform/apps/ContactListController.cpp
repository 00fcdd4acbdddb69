// CNContactListViewController, the Contacts framework's list (version 9 on): a white table of the
// address book's people by name, each row a CNContactListTableViewCell holding a contact fetched
// with the name keys only, as the system fetches what it shows. The list reads the book again on
// every reload.
#include <algorithm>

#include "addressbook/ABAddressBook.h"
#include "apps/ContactListBook.h"
#include "apps/ContactListClasses.h"
#include "apps/ContactListLook.h"
#include "apps/HostListTable.h"
#include "apps/HostMethods.h"
#include "apps/LayoutDirection.h"
#include "contacts/CNContact.h"
#include "foundation/NSValueTypes.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"
#include "uikit/UITableView.h"
#include "uikit/UIViewController.h"

using standin::apps::detail::classNamed;
using standin::apps::detail::define;

namespace contactlists {
namespace {

constexpr const char* kListClass = "CNContactListViewController";
constexpr const char* kCellClass = "CNContactListTableViewCell";
constexpr const char* kCellIdentifier = "CNContactListCell";

std::shared_ptr<NSArray> contactsOf(const id& list) {
  return cast<NSArray>(object_getIvar<id>(list, "_contacts"));
}

void viewDidLoad(id self, SEL cmd) {
  objc_msgSendSuper<void()>(objc_getClass(kListClass), self, cmd);
  auto table = standin::apps::detail::addListTable(self, UIColor::whiteColor(), kRowHeight);
  if (!table) return;
  reloadOnAddressBookChange(table);
  objc_msgSend<void()>(table, "reloadData");
}

// Asked first by every reload: the people are read here. The contacts are kept in the order the
// sections show them, with where each section starts and its title.
long numberOfSections(id self, SEL, id) {
  std::vector<id> contacts, starts, titles;
  ABAddressBookRef book = listAddressBook();
  for (const auto& section : inSections(listedPeople())) {
    starts.push_back(NSNumber::numberWithInteger(static_cast<long>(contacts.size())));
    titles.push_back(NSString::stringWithUTF8String(section.title));
    for (const auto& person : section.people) {
      contacts.push_back(
          CNContact::contactWithPerson(ABAddressBookGetPersonWithRecordID(book, person.recordID),
                                       {CNContactGivenNameKey, CNContactFamilyNameKey}));
    }
  }
  starts.push_back(NSNumber::numberWithInteger(static_cast<long>(contacts.size())));
  long count = static_cast<long>(titles.size());
  object_setIvar(self, "_contacts", make<NSArray>(std::move(contacts)));
  object_setIvar(self, "_sectionStarts", make<NSArray>(std::move(starts)));
  object_setIvar(self, "_sectionTitles", make<NSArray>(std::move(titles)));
  return count;
}

// Where the section's rows begin in _contacts, and where the next one's do; -1 for none.
std::pair<long, long> sectionBounds(const id& list, long section) {
  auto starts = cast<NSArray>(object_getIvar<id>(list, "_sectionStarts"));
  if (!starts || section < 0 || section + 1 >= static_cast<long>(starts->items.size())) {
    return {-1, -1};
  }
  return {integerValue(starts->items[static_cast<std::size_t>(section)]),
          integerValue(starts->items[static_cast<std::size_t>(section) + 1])};
}

long numberOfRows(id self, SEL, id, long section) {
  auto [from, to] = sectionBounds(self, section);
  return std::max(0L, to - from);
}

id titleForHeader(id self, SEL, id, long section) {
  auto titles = cast<NSArray>(object_getIvar<id>(self, "_sectionTitles"));
  if (!titles || section < 0 || section >= static_cast<long>(titles->items.size())) return nullptr;
  return titles->items[static_cast<std::size_t>(section)];
}

id indexTitles(id, SEL, id) {
  std::vector<id> titles;
  for (const auto& title : sectionIndexTitles()) {
    titles.push_back(NSString::stringWithUTF8String(title));
  }
  return make<NSArray>(std::move(titles));
}

std::string nameOf(const std::shared_ptr<CNContact>& contact) {
  std::string first = contact->givenName().value_or("");
  std::string last = contact->familyName().value_or("");
  if (first.empty()) return last;
  if (last.empty()) return first;
  return first + " " + last;
}

id cellForRow(id self, SEL, id tableView, id indexPath) {
  auto table = cast<UITableView>(tableView);
  auto path = cast<NSIndexPath>(indexPath);
  if (!table || !path) return nullptr;
  auto cell =
      standin::apps::detail::reusedOrNewCell(*table, kCellIdentifier, objc_getClass(kCellClass));
  auto contacts = contactsOf(self);
  auto [from, to] = sectionBounds(self, path->section());
  long row = from + path->row();
  if (!cell || !contacts || path->row() < 0 || row >= to ||
      row >= static_cast<long>(contacts->items.size())) {
    return cell;
  }
  auto contact = cast<CNContact>(contacts->items[static_cast<std::size_t>(row)]);
  object_setIvar(cell, "_contact", id(contact));
  if (auto label = cast<UILabel>(cell->textLabel())) label->setText(nameOf(contact));
  cell->setNeedsLayout();
  return cell;
}

id cellInitWithStyle(id self, SEL cmd, long style, id reuseIdentifier) {
  id made =
      objc_msgSendSuper<id(long, id)>(objc_getClass(kCellClass), self, cmd, style, reuseIdentifier);
  auto cell = cast<UITableViewCell>(made);
  if (!cell) return made;
  cell->setBackgroundColor(UIColor::whiteColor());
  if (auto label = cast<UILabel>(cell->textLabel())) {
    label->setFont(UIFont::systemFontOfSize(17));
    label->setTextColor(UIColor::blackColor());
  }
  auto rule = makeSeparator([](UITableViewCell& row) {
    auto label = row.textLabel();
    if (!label) return kTextInset;
    CGRect text = label->frame();
    CGFloat x = row.contentView()->frame().origin.x;
    return apps::rightToLeft() ? x + text.origin.x + text.size.width : x + text.origin.x;
  });
  cell->addSubview(rule);
  object_setIvar(made, "_separator", rule);
  return made;
}

// The name fills the row from the leading inset; the rule under it follows the name.
void cellLayoutSubviews(id self, SEL cmd) {
  objc_msgSendSuper<void()>(objc_getClass(kCellClass), self, cmd);
  auto cell = cast<UITableViewCell>(self);
  if (!cell) return;
  CGRect bounds = cell->bounds();
  CGFloat width = std::max<CGFloat>(0, bounds.size.width - 2 * kTextInset);
  if (auto label = cell->textLabel()) {
    label->setFrame(CGRectMake(kTextInset, 0, width, bounds.size.height));
  }
  if (auto rule = cast<UIView>(object_getIvar<id>(self, "_separator"))) rule->setNeedsLayout();
}

id cellContact(id self, SEL) {
  return object_getIvar<id>(self, "_contact");
}

}  // namespace

void registerContactListClasses() {
  Class list = classNamed(kListClass, UIViewController::class_());
  define(list, "viewDidLoad", viewDidLoad, "v@:");
  define(list, "tableView", standin::apps::detail::listTableView, "@@:");
  define(list, "numberOfSectionsInTableView:", numberOfSections, "q@:@");
  define(list, "tableView:numberOfRowsInSection:", numberOfRows, "q@:@q");
  define(list, "tableView:titleForHeaderInSection:", titleForHeader, "@@:@q");
  define(list, "sectionIndexTitlesForTableView:", indexTitles, "@@:@");
  define(list, "tableView:cellForRowAtIndexPath:", cellForRow, "@@:@@");
  Class cell = classNamed(kCellClass, UITableViewCell::class_());
  define(cell, "initWithStyle:reuseIdentifier:", cellInitWithStyle, "@@:q@");
  define(cell, "layoutSubviews", cellLayoutSubviews, "v@:");
  define(cell, "contact", cellContact, "@@:");
}

}  // namespace contactlists
