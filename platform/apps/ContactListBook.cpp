// The lists' address book and its people in the lists' order.
#include <unicode/coll.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
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

// The section title of a sort name: its first letter without accents, upper case, if it is
// one of A to Z.
std::string sectionTitleOf(const std::string& name) {
  icu::UnicodeString text = icu::UnicodeString::fromUTF8(name);
  if (text.isEmpty()) return "#";
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  icu::UnicodeString first(text.char32At(0));
  if (nfd && U_SUCCESS(status)) first = nfd->normalize(first, status);
  UChar32 base = U_SUCCESS(status) && !first.isEmpty() ? u_toupper(first.char32At(0)) : 0;
  if (base < 'A' || base > 'Z') return "#";
  return std::string(1, static_cast<char>(base));
}

}  // namespace

std::vector<ListSection> inSections(std::vector<ListedPerson> people) {
  std::vector<ListSection> sections;
  for (const std::string& title : sectionIndexTitles()) sections.push_back({title, {}});
  for (auto& person : people) {
    std::string title = sectionTitleOf(sortKey(person));
    std::size_t at = title == "#" ? sections.size() - 1 : static_cast<std::size_t>(title[0] - 'A');
    sections[at].people.push_back(std::move(person));
  }
  sections.erase(std::remove_if(sections.begin(), sections.end(),
                                [](const ListSection& s) { return s.people.empty(); }),
                 sections.end());
  return sections;
}

const std::vector<std::string>& sectionIndexTitles() {
  static const std::vector<std::string> titles = [] {
    std::vector<std::string> letters;
    for (char c = 'A'; c <= 'Z'; ++c) letters.emplace_back(1, c);
    letters.emplace_back("#");
    return letters;
  }();
  return titles;
}

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
