// The sample device's hand-picked contacts, read from HandPickedContacts.plist (compiled in).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "SamplePictures.h"

namespace sample {

struct PictureRecipe {
  PictureKind kind;
  int width;
  int height;
  uint32_t variant;
  PictureFormat format;
};

struct HandPickedPerson {
  std::optional<std::string> first;
  std::optional<std::string> last;
  int linkGroup = 0;  // cards with the same group > 0 are one person
  std::vector<std::pair<std::string, std::string>> phones;  // the book's label, the value
  std::vector<std::pair<std::string, std::string>> emails;
  std::optional<PictureRecipe> thumbnail;
  std::optional<PictureRecipe> fullSize;
};

// Every person of the list in record order (the first is record 1). The list is part of the
// program, so a malformed entry is a programming error: it throws std::logic_error.
std::vector<HandPickedPerson> handPickedPeople();

// The property list's bytes, as compiled in.
std::vector<uint8_t> handPickedContactsPropertyList();

}  // namespace sample
