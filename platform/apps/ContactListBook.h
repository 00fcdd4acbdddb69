// The system's contact lists' address book: the people of the device's book in the lists' order,
// one book per process that follows changes made by other processes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "addressbook/ABTypes.h"

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

// The lists' sections: one per initial of the sort name ("É" goes under "E"), A to Z, then "#"
// for every name that begins with anything else; each section keeps the lists' order.
struct ListSection {
  std::string title;
  std::vector<ListedPerson> people;
};
std::vector<ListSection> inSections(std::vector<ListedPerson> people);
// The index at the list's edge: every letter and "#", whether a section has it or not.
const std::vector<std::string>& sectionIndexTitles();

// A table shown by a list, reloaded when another process changed the address book. Held weakly.
void reloadOnAddressBookChange(const std::shared_ptr<UITableView>& table);

}  // namespace contactlists
