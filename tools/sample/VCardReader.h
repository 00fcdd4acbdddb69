// Reads vCard files (2.1, 3.0, 4.0) card by card, as the phone's import takes them: names, the
// organisation, numbers, e-mail addresses, web addresses and postal addresses with the phone's
// labels, and the photo. Parsing is Evolution's EVCard (libebook-contacts); this file frames the
// cards, bounds what is read and mends what EVCard does not take from vCard 2.1.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "AddressBookWriter.h"

namespace sample {

// What is read of a file at most: larger files are refused before they are read, larger cards
// and cards of more properties are skipped.
inline constexpr uint64_t kLargestVCardFile = 512ULL << 20;
inline constexpr std::size_t kLargestCard = 24 << 20;  // a 16 MB photo in base64 and the rest
inline constexpr std::size_t kMostCardProperties = 10'000;

struct VCardContact {
  int line = 0;  // the line of BEGIN:VCARD, from 1
  PersonFields fields;
  std::vector<std::pair<std::string, std::string>> phones;  // the phone's label, the value
  std::vector<std::pair<std::string, std::string>> emails;
  std::vector<std::pair<std::string, std::string>> urls;
  std::vector<std::pair<std::string, AddressParts>> addresses;
  std::optional<std::vector<uint8_t>> photo;  // encoded picture bytes, not yet checked
  std::string photoSkipped;                   // why a PHOTO was left out, when one was
};

struct VCardFileResult {
  bool read = false;  // false: the file was refused whole (error says why)
  std::string error;
  int cards = 0;
  std::vector<std::pair<int, std::string>> unreadable;  // line of the card, why
};

// Calls onCard with every card that can be read, in file order.
VCardFileResult readVCardFile(const std::string& path,
                              const std::function<void(VCardContact&&)>& onCard);

// The same for text in memory (a file's bytes); lines are counted from firstLine.
VCardFileResult readVCardText(const std::string& text,
                              const std::function<void(VCardContact&&)>& onCard);

}  // namespace sample
