// Address-book access and contact lookup: a party's phone number or e-mail address to the contact
// identifier, remembered per process.
#include <sqlite3.h>

#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

#include "AddressBookFiles.h"
#include "ContactLookupState.h"
#include "TalvoCBLog.h"
#include "TalvoCBUtils+ContactLookup.h"
#include "TalvoCBUtils+ContactLookupInternal.h"
#include "addressbook/ABAddressBook.h"
#include "foundation/Device.h"
#include "foundation/Dispatch.h"
#include "foundation/NSFileManager.h"
#include "foundation/NSLog.h"

namespace {

// Longer party text is no telephone number: it matches nobody and never reaches the matcher,
// whose parsing time grows far faster than the text.
constexpr std::size_t kLongestPhoneNumber = 256;

struct LookupState {
  std::mutex lock;
  std::unordered_map<std::string, int32_t> identifiers;  // party text as given -> identifier >= 1
  ABAddressBookRef addressBook = nullptr;
  ReArmableOnce addressBookOnce;
};
// Lives as long as the process.
LookupState& lookupState() {
  static auto* state = new LookupState();
  return *state;
}

void remember(const std::string& party, int32_t contactID) {
  std::lock_guard guard(lookupState().lock);
  lookupState().identifiers[party] = contactID;
}

// The owner of the address, read straight from the database. The address is bound, not pasted
// into the statement, and compared as a whole: ASCII letters ignore case, "%" and "_" are plain
// characters. Several owners: the lowest identifier.
int32_t contactIDForEmail(const std::string& address) {
  if (!NSFileManager::defaultManager().fileExistsAtPath(kAddressBookDatabase)) return -1;
  int32_t result = -1;
  sqlite3* db = nullptr;
  // Only a row answers; a locked or failing read is "not found", not identifier 0, and says why.
  int status = openAddressBookFile(kAddressBookDatabase, &db);
  if (status == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    status = sqlite3_prepare_v2(db,
                                "Select record_id from ABMULTIVALUE where value = ? COLLATE "
                                "NOCASE order by record_id",
                                -1, &statement, nullptr);
    if (status == SQLITE_OK) {
      sqlite3_bind_text(statement, 1, address.data(), static_cast<int>(address.size()),
                        SQLITE_TRANSIENT);
      status = sqlite3_step(statement);
      if (status == SQLITE_ROW) result = sqlite3_column_int(statement, 0);
    }
    sqlite3_finalize(statement);
  }
  if (status != SQLITE_OK && status != SQLITE_ROW && status != SQLITE_DONE) {
    TALCB_ERROR("+[TalvoCBUtils getContactID:addressBook:]",
                "Error while reading the database: '%s'",
                db ? sqlite3_errmsg(db) : "out of memory");
  }
  sqlite3_close(db);
  return result >= 1 ? result : -1;
}
}  // namespace

void TalvoCBResetContactLookup() {
  LookupState& state = lookupState();
  std::lock_guard guard(state.lock);
  state.identifiers.clear();
  if (state.addressBook) CFRelease(state.addressBook);
  state.addressBook = nullptr;
  state.addressBookOnce.reArm();
}

int32_t TalvoCBRememberedContactID(const std::string& party) {
  std::lock_guard guard(lookupState().lock);
  auto found = lookupState().identifiers.find(party);
  return found == lookupState().identifiers.end() ? 0 : found->second;
}

ABAddressBookRef TalvoCBUtils::getAddressBook() {
  LookupState& state = lookupState();
  std::lock_guard guard(state.lock);
  state.addressBookOnce.run([&state] { state.addressBook = ABAddressBookCreate(); });
  return state.addressBook;
}

ABRecordRef TalvoCBUtils::getPersonRecordFromDB(int32_t contactID) {
  return ABAddressBookGetPersonWithRecordID(getAddressBook(), contactID);
}

int32_t TalvoCBUtils::getContactID(const OptionalString& party, ABAddressBookRef addressBook) {
  int32_t remembered = party ? TalvoCBRememberedContactID(*party) : 0;
  NSLog("Got contact ID '%d' for '%s'", remembered, party ? party->c_str() : "(null)");
  if (remembered >= 1) return remembered;
  if (!party) return -1;

  int32_t contactID;
  if (party->find('@') == std::string::npos) {
    if (party->size() > kLongestPhoneNumber) return remembered;
    ABRecordRef person = ABCFindPersonMatchingPhoneNumber(addressBook, *party, 0, 0);
    if (!person) return remembered;
    contactID = ABRecordGetRecordID(person);
  } else {
    contactID = contactIDForEmail(*party);
  }
  if (contactID >= 1) remember(*party, contactID);
  return contactID;
}

int32_t TalvoCBUtils::getContactID(const OptionalString& party) {
  return getContactID(party, getAddressBook());
}

void TalvoCBUtils::removeContactIDFromCache(int32_t contactID) {
  std::lock_guard guard(lookupState().lock);
  auto& identifiers = lookupState().identifiers;
  for (auto entry = identifiers.begin(); entry != identifiers.end(); ++entry) {
    if (static_cast<int64_t>(entry->second) == static_cast<int64_t>(contactID)) {
      identifiers.erase(entry);
      return;
    }
  }
}
