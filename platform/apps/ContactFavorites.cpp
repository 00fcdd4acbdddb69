// CNFavorites, the Contacts framework's favourites, and the contact store it keeps. The add-on
// reaches the store through it to fetch a list's contact again with more keys.
#include <cstdlib>

#include "addressbook/ABAddressBook.h"
#include "apps/ContactListBook.h"
#include "apps/ContactListClasses.h"
#include "apps/HostMethods.h"
#include "contacts/CNContact.h"
#include "foundation/NSValueTypes.h"

using standin::apps::detail::classNamed;
using standin::apps::detail::define;

namespace contactlists {
namespace {

constexpr const char* kIdentifierPrefix = "sim-contact-";

std::optional<ABRecordID> recordIDFromIdentifier(const std::string& identifier) {
  std::string prefix = kIdentifierPrefix;
  if (identifier.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  std::string digits = identifier.substr(prefix.size());
  if (digits.empty() || digits.size() > 10) return std::nullopt;
  char* end = nullptr;
  long value = std::strtol(digits.c_str(), &end, 10);
  if (*end != '\0' || value < 1 || value > INT32_MAX) return std::nullopt;
  return static_cast<ABRecordID>(value);
}

id sharedInstance(id, SEL) {
  static id favorites = class_createInstance(objc_getClass("CNFavorites"));
  return favorites;
}

id store(id, SEL) {
  static id shared = class_createInstance(objc_getClass("CNContactStore"));
  return shared;
}

// Nil with no error when the identifier names nobody, as the platform answers a deleted contact.
id unifiedContact(id, SEL, id identifier, id keys, id* error) {
  if (error) *error = nullptr;
  auto recordID = recordIDFromIdentifier(stringValue(identifier).value_or(""));
  if (!recordID) return nullptr;
  std::set<std::string> wanted;
  if (auto list = cast<NSArray>(keys)) {
    for (const id& key : list->items) {
      if (auto name = stringValue(key)) wanted.insert(*name);
    }
  }
  ABRecordRef person = ABAddressBookGetPersonWithRecordID(listAddressBook(), *recordID);
  return CNContact::contactWithPerson(person, wanted);
}

}  // namespace

void registerContactStoreClasses() {
  CNContact::class_();
  Class favorites = classNamed("CNFavorites", nullptr);
  define(object_getClass(favorites), "sharedInstance", sharedInstance, "@@:");
  define(favorites, "store", store, "@@:");
  Class contactStore = classNamed("CNContactStore", nullptr);
  define(contactStore, "unifiedContactWithIdentifier:keysToFetch:error:", unifiedContact,
         "@@:@@^@");
}

}  // namespace contactlists
