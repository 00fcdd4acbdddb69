// What the system's contact lists share among their files: the people of the device's address
// book in the list's order, one book per process that follows changes made by other processes,
// and the lists' common look.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "addressbook/ABTypes.h"
#include "runtime/objc.h"
#include "uikit/CGGeometry.h"

class UIColor;
class UITableView;

namespace contactlists {

// The lists' book: made on first use on the main thread, made anew after another process changed
// the address book ("__ABDataBaseChangedByOtherProcessNotification").
ABAddressBookRef listAddressBook();

// A person as the lists show one: sorted by last name (first name when there is none), then
// first name, case and accents ignored.
struct ListedPerson {
  ABRecordID recordID = -1;
  std::string first, last;
  std::string displayName() const;
};
std::vector<ListedPerson> listedPeople();
// The people whose first or last name begins with the text (case and accents ignored).
std::vector<ListedPerson> peopleMatching(const std::string& text);

// A table shown by a list, reloaded when another process changed the address book. Held weakly.
void reloadOnAddressBookChange(const std::shared_ptr<UITableView>& table);

bool rightToLeft();
std::shared_ptr<UIColor> separatorColour();
constexpr CGFloat kRowHeight = 44;
constexpr CGFloat kTextInset = 15;

// The members list's person objects and cells.
id makePersonObject(ABRecordID recordID, std::string first, std::string last);
void setMemberCellPerson(const id& cell, const id& person);

void registerContactStoreClasses();
void registerContactListClasses();
void registerMemberCellClasses();
void registerMemberListClasses();

}  // namespace contactlists
