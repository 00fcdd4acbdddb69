// Contacts from vCard files into an address book, as the phone's own import adds them, and the
// book's people as CallBar's favourites and history name them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "AddressBookWriter.h"
#include "SampleDevice.h"

namespace sample {

struct ImportReport {
  std::vector<std::string> lines;     // one a card: identifier, name, numbers, addresses, photo
  std::vector<std::string> problems;  // "FILE:LINE: card not read: why"
  int imported = 0;
};

// Adds every card of the files through the writer, dated `date` (seconds since 2001). False,
// with the reason, when a file is refused whole or the book cannot be written; the caller's
// transaction then keeps nothing.
bool importVCardFiles(AddressBookWriter& writer, const std::vector<std::string>& files, double date,
                      ImportReport* report, std::string* error);

// A person of a device's book as CallBar's files name them.
struct BookPerson {
  int32_t recordID = 0;
  std::string name;
  std::vector<std::pair<std::string, std::string>> phones;  // the book's label, the value
  std::vector<std::pair<std::string, std::string>> emails;
};

// The people of the device's book under root, in record order (at most `limit` with numbers or
// addresses). False with the reason when the book cannot be read.
bool readBookPeople(const std::string& root, std::size_t limit, std::vector<BookPerson>* people,
                    std::string* error);

// Seconds since 2001 now, as the phone dates its changes.
double referenceDateNow();

}  // namespace sample
