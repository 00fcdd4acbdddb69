// Monogram text: a contact's initials from a name, from the address book or from its database.
#include <sqlite3.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <string>
#include <vector>

#include "AddressBookFiles.h"
#include "TalvoCBLog.h"
#include "TalvoCBRetry.h"
#include "TalvoCBUtils+ContactLookupInternal.h"
#include "TalvoCBUtils+MonogramText.h"
#include "TalvoCBUtils+MonogramTextInternal.h"
#include "addressbook/ABAddressBook.h"
#include "addressbook/ABSQLite.h"
#include "foundation/Device.h"
#include "foundation/NSFileManager.h"

namespace {
// Attempts before the address-book interface is asked instead; each failed one waits a second.
constexpr int32_t kMaxReadAttempts = 4;

std::string utf8(const icu::UnicodeString& text) {
  std::string out;
  text.toUTF8String(out);
  return out;
}

// The first character of the text; a character outside the Basic Multilingual Plane is taken
// whole rather than cut in half.
icu::UnicodeString firstCharacter(const icu::UnicodeString& text) {
  if (text.isEmpty()) return {};
  return text.tempSubString(0, U16_LENGTH(text.char32At(0)));
}

std::string firstCharacter(const std::string& text) {
  return utf8(firstCharacter(icu::UnicodeString::fromUTF8(text)));
}

// Letters, marks and digits of every script.
bool isAlphanumeric(UChar32 c) {
  return (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0;
}

OptionalString fullName(const OptionalString& first, const OptionalString& last) {
  bool hasFirst = first && !first->empty();
  bool hasLast = last && !last->empty();
  if (hasFirst && hasLast) return *first + " " + *last;
  if (hasFirst) return first;
  if (hasLast) return last;
  return std::nullopt;
}
}  // namespace

OptionalString TalvoCBUtils::monogramTextFromName(const OptionalString& name) {
  if (!name) return std::nullopt;
  if (name->empty()) return name;
  // Bytes that are not UTF-8 read as replacement characters, which separate like any symbol.
  icu::UnicodeString text = icu::UnicodeString::fromUTF8(*name);
  text.findAndReplace(icu::UnicodeString(u'"'), icu::UnicodeString());

  // Every separator becomes one blank; the pieces between them are kept, empty or not.
  icu::UnicodeString normalised;
  std::vector<int32_t> wordStarts;
  bool inWord = false;
  for (int32_t i = 0; i < text.length();) {
    UChar32 c = text.char32At(i);
    i += U16_LENGTH(c);
    if (isAlphanumeric(c)) {
      if (!inWord) wordStarts.push_back(normalised.length());
      inWord = true;
      normalised.append(c);
    } else {
      inWord = false;
      normalised.append(u' ');
    }
  }

  // A name of double quotes alone leaves nothing to take a character from: no text.
  if (wordStarts.size() < 2) return utf8(firstCharacter(normalised));
  icu::UnicodeString initials = firstCharacter(normalised.tempSubString(wordStarts.front()));
  initials.append(firstCharacter(normalised.tempSubString(wordStarts.back())));
  return utf8(initials);
}

OptionalString TalvoCBUtils::monogramTextFromContactID(int32_t contactID) {
  ABRecordRef person = getPersonRecordFromDB(contactID);
  if (!person) return std::nullopt;
  OptionalString first = stringValue(ABRecordCopyValue(person, kABPersonFirstNameProperty));
  OptionalString last = stringValue(ABRecordCopyValue(person, kABPersonLastNameProperty));
  bool hasFirst = first && !first->empty();
  bool hasLast = last && !last->empty();
  if (hasFirst && hasLast) return firstCharacter(*first) + firstCharacter(*last);
  if (hasFirst) return firstCharacter(*first);
  if (hasLast) return firstCharacter(*last);
  return std::nullopt;
}

OptionalString TalvoCBUtils::getMonogramTextFromAB(int32_t contactID, int32_t currentReadCount) {
  // A negative count would only stretch the wait.
  if (currentReadCount < 0) currentReadCount = 0;
  if (!NSFileManager::defaultManager().fileExistsAtPath(kAddressBookDatabase)) {
    return monogramTextFromName(std::nullopt);
  }

  // The status of a failed read; SQLITE_OK while the read goes well.
  int failure = SQLITE_OK;
  OptionalString first, last;
  sqlite3* db = nullptr;
  int status = openAddressBookFile(kAddressBookDatabase, &db);
  if (status != SQLITE_OK) {
    TALCB_ERROR("+[TalvoCBUtils getMonogramTextFromAB:currentReadCount:]",
                "Error while opening database connection: '%s'", sqlite3_errmsg(db));
    failure = status;
  } else {
    std::string query =
        stringWithFormat("Select FIRST, LAST from ABPERSON where ROWID=%d", contactID);
    sqlite3_stmt* statement = nullptr;
    status = sqlite3_prepare_v2(db, query.c_str(), -1, &statement, nullptr);
    if (status != SQLITE_OK) {
      TALCB_ERROR("+[TalvoCBUtils getMonogramTextFromAB:currentReadCount:]",
                  "Error while preparing statement: '%s'", sqlite3_errmsg(db));
      failure = status;
    } else {
      int step = sqlite3_step(statement);
      if (step == SQLITE_DONE) {
        TALCB_ERROR("+[TalvoCBUtils getMonogramTextFromAB:currentReadCount:]",
                    "No contact info found in ABPERSON for '%d'.", contactID);
      } else if (step == SQLITE_ROW) {
        first = addressbook::columnText(statement, 0);
        last = addressbook::columnText(statement, 1);
      } else {
        // Locked after the statement was prepared: the same as locked before.
        TALCB_ERROR("+[TalvoCBUtils getMonogramTextFromAB:currentReadCount:]",
                    "Error while reading statement: '%s'", sqlite3_errmsg(db));
        failure = step;
      }
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);

  if (failure != SQLITE_OK) {
    // Only a locked file is worth waiting for; any other failure answers as the last attempt.
    if (TalvoCBIsWorthRetrying(failure) && currentReadCount < kMaxReadAttempts) {
      TalvoCBWaitBeforeRetrying();
      return getMonogramTextFromAB(contactID, currentReadCount + 1);
    }
    TALCB_INFO("+[TalvoCBUtils getMonogramTextFromAB:currentReadCount:]",
               "Max waiting attempts over, hence returning monogram thorugh AB API for contact: %d",
               contactID);
    return monogramTextFromContactID(contactID);
  }
  return monogramTextFromName(fullName(first, last));
}

OptionalString TalvoCBUtils::getMonogramTextFromAB(int32_t contactID) {
  return getMonogramTextFromAB(contactID, 0);
}

OptionalString TalvoCBUtils::monogramTextFromAB(int32_t contactID) {
  return getMonogramTextFromAB(contactID);
}
