// CallBar's files on the sample device: favourites from the book and a call history that holds
// every kind of caller and call record the package keeps. Dates are fixed.
#pragma once

#include <string>

#include <vector>

#include "ContactImport.h"
#include "SampleDevice.h"

namespace sample {

// From the hand-picked book.
bool writeCallBarFiles(const std::string& root, SampleReport* report, std::string* error);

// From any book: the first six people with numbers are the favourites; the history calls every
// number and address of the people given, and callers in no card.
bool writeCallBarFilesFromBook(const std::string& root, const std::vector<BookPerson>& people,
                               SampleReport* report, std::string* error);

}  // namespace sample
