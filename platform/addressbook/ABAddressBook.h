// The address book over the device's database files, read-only.
//
// Ownership: ABAddressBookCreate hands the caller a book that the caller releases with
// CFRelease(book). Every ABRecordRef a book hands out is owned by that book and stays valid until
// the book is released; records are never released on their own. A book and its records belong to
// the thread that made the book; each thread makes its own book.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "addressbook/ABTypes.h"
#include "foundation/NSValueTypes.h"
#include "runtime/objc.h"

using ABPropertyID = int32_t;
using ABPersonImageFormat = int;

constexpr ABRecordID kABRecordInvalidID = -1;
constexpr ABPropertyID kABPersonFirstNameProperty = 0;
constexpr ABPropertyID kABPersonLastNameProperty = 1;
constexpr ABPropertyID kABPersonPhoneProperty = 3;
constexpr ABPropertyID kABPersonEmailProperty = 4;
constexpr ABPersonImageFormat kABPersonImageFormatThumbnail = 0;
constexpr ABPersonImageFormat kABPersonImageFormatOriginalSize = 2;

// No telephone number is longer than a few dozen characters; longer text is no number and is
// never handed to the number parser, whose time grows far faster than the text.
constexpr std::size_t kABPhoneNumberMaxLength = 256;

// A book over the device's files. It never answers NULL: with missing or unreadable files the
// book is empty, and each read that fails is logged.
ABAddressBookRef ABAddressBookCreate();
void CFRelease(ABAddressBookRef addressBook);

ABRecordRef ABAddressBookGetPersonWithRecordID(ABAddressBookRef addressBook, ABRecordID recordID);
// Every person of the book, by record identifier.
std::vector<ABRecordRef> ABAddressBookCopyArrayOfAllPeople(ABAddressBookRef addressBook);
// kABRecordInvalidID for NULL.
ABRecordID ABRecordGetRecordID(ABRecordRef record);
// The first or last name as an NSString, nil when absent; other properties answer nil.
id ABRecordCopyValue(ABRecordRef record, ABPropertyID property);

bool ABPersonHasImageData(ABRecordRef person);
// The person's picture at its largest: the full-size image, else the thumbnail.
std::shared_ptr<NSData> ABPersonCopyImageData(ABRecordRef person);
std::shared_ptr<NSData> ABPersonCopyImageDataWithFormat(ABRecordRef person,
                                                        ABPersonImageFormat format);
// Every card linked with the person, the person included, by record identifier; a card without
// links answers itself alone.
std::vector<ABRecordRef> ABPersonCopyArrayOfAllLinkedPeople(ABRecordRef person);

// The person holding the number, compared as phone numbers of the device's region; when several
// hold it, the lowest record identifier. NULL when nobody does. Text longer than
// kABPhoneNumberMaxLength matches nobody, and stored values that long are no candidates.
ABRecordRef ABCFindPersonMatchingPhoneNumber(ABAddressBookRef addressBook,
                                             const std::string& number, int unused1, int unused2);

namespace standin {
// Why the device's address book cannot be read (a file that is no database, a rollback journal a
// killed writer left, damage), or nothing when it reads; a device without the files has an empty
// book, which reads. The tools ask it so that a book they cannot read is never shown as nobody.
std::optional<std::string> addressBookUnreadableReason();
}  // namespace standin

// The address book's phone-number formatter.
class ABPhoneFormatting : public NSObject {
 public:
  static Class class_();
  ABPhoneFormatting();
  // The number as the address book shows it: national form for the device's region, international
  // otherwise; text that is no phone number (or longer than any) comes back unchanged.
  static std::optional<std::string> abCopyPhoneNumberFromString(
      const std::optional<std::string>& number);
};
