// The lists' address book and its people in the lists' order.
#include <unicode/coll.h>
#include <unicode/unistr.h>

#include <algorithm>

#include "addressbook/ABAddressBook.h"
#include "apps/ContactListBook.h"
#include "foundation/NSNotificationCenter.h"
#include "uikit/UITableView.h"

namespace contactlists {
namespace {

constexpr const char* kAddressBookChanged = "__ABDataBaseChangedByOtherProcessNotification";

struct ListState {
  ABAddressBookRef book = nullptr;
  bool observing = false;
  std::vector<std::weak_ptr<UITableView>> tables;
};
ListState& state() {
  static ListState shared;
  return shared;
}

// The system's own observer: its records are stale, and so are the lists' rows.
void addressBookChanged(CFNotificationCenterRef, void*, const std::string&, const void*,
                        const void*) {
  ListState& s = state();
  if (s.book) CFRelease(s.book);
  s.book = nullptr;
  auto tables = s.tables;
  for (const auto& weak : tables) {
    if (auto table = weak.lock()) table->reloadData();
  }
}

void observeChanges() {
  ListState& s = state();
  if (s.observing) return;
  s.observing = true;
  CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr,
                                  addressBookChanged, kAddressBookChanged, nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
}

// Primary strength: "émile" and "Emile" sort and match alike.
icu::Collator* collator() {
  static icu::Collator* shared = [] {
    UErrorCode status = U_ZERO_ERROR;
    icu::Collator* made = icu::Collator::createInstance(icu::Locale::getRoot(), status);
    if (U_FAILURE(status)) return static_cast<icu::Collator*>(nullptr);
    made->setStrength(icu::Collator::PRIMARY);
    return made;
  }();
  return shared;
}

int compareText(const std::string& a, const std::string& b) {
  icu::Collator* c = collator();
  if (!c) return a.compare(b);
  UErrorCode status = U_ZERO_ERROR;
  return c->compareUTF8(a, b, status);
}

bool beginsWith(const std::string& text, const std::string& prefix) {
  if (prefix.empty()) return true;
  icu::UnicodeString whole = icu::UnicodeString::fromUTF8(text);
  int32_t length = icu::UnicodeString::fromUTF8(prefix).length();
  if (whole.length() < length) return false;
  std::string head;
  whole.tempSubString(0, length).toUTF8String(head);
  return compareText(head, prefix) == 0;
}

std::string sortKey(const ListedPerson& person) {
  return person.last.empty() ? person.first : person.last;
}

}  // namespace

ABAddressBookRef listAddressBook() {
  observeChanges();
  ListState& s = state();
  if (!s.book) s.book = ABAddressBookCreate();
  return s.book;
}

std::string ListedPerson::displayName() const {
  if (first.empty()) return last;
  if (last.empty()) return first;
  return first + " " + last;
}

std::vector<ListedPerson> listedPeople() {
  std::vector<ListedPerson> people;
  for (ABRecordRef record : ABAddressBookCopyArrayOfAllPeople(listAddressBook())) {
    ListedPerson person{
        ABRecordGetRecordID(record),
        stringValue(ABRecordCopyValue(record, kABPersonFirstNameProperty)).value_or(""),
        stringValue(ABRecordCopyValue(record, kABPersonLastNameProperty)).value_or("")};
    if (person.displayName().empty()) continue;
    people.push_back(std::move(person));
  }
  std::stable_sort(people.begin(), people.end(), [](const ListedPerson& a, const ListedPerson& b) {
    int order = compareText(sortKey(a), sortKey(b));
    return order != 0 ? order < 0 : compareText(a.first, b.first) < 0;
  });
  return people;
}

std::vector<ListedPerson> peopleMatching(const std::string& text) {
  std::vector<ListedPerson> found;
  for (auto& person : listedPeople()) {
    if (beginsWith(person.first, text) || beginsWith(person.last, text)) {
      found.push_back(std::move(person));
    }
  }
  return found;
}

void reloadOnAddressBookChange(const std::shared_ptr<UITableView>& table) {
  observeChanges();
  auto& tables = state().tables;
  tables.erase(std::remove_if(tables.begin(), tables.end(),
                              [](const std::weak_ptr<UITableView>& t) { return t.expired(); }),
               tables.end());
  tables.push_back(table);
}

}  // namespace contactlists
