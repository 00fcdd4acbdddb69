// Who plays the scenes on a device: people picked from its own address book by what the add-on
// shows of them, a number that is on no card, whom the book finds for each party the user asked
// to call, and what CallBar's own files hold. The device is read by a process that runs on it
// (`talvocb --root DEVICE sim --cast`); the simulator reads that process's answer.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "runtime/objc.h"

namespace simulator {

// What the add-on shows for a person: the thumbnail of their own card, that of a linked card, or
// (with neither) a monogram.
enum class SimPicture { OwnPhoto, LinkedPhoto, NoPhoto };

struct SimPerson {
  int32_t id = 0;     // the card the book finds for the party; 0 when it finds nobody
  std::string party;  // the number (or address) a scene calls
  std::string name;   // first and last name; empty for a card without a name
  SimPicture picture = SimPicture::NoPhoto;
  int32_t photoCard = 0;  // the card whose thumbnail shows
  int photoWidth = 0, photoHeight = 0;
};

// The parts a scene may need, each the first person of the book (by record) who fits it.
enum class SimRole {
  OwnPhoto,     // a photo of their own and a number the book finds them by
  LinkedPhoto,  // a photo only on a linked card, and such a number
  NoPhoto,      // no photo on any of their cards, and such a number
  Photoless,    // no photo on any of their cards, with or without a number
};
const char* describeRole(SimRole role);

struct SimCast {
  std::optional<SimPerson> ownPhoto, linkedPhoto, noPhoto, photoless;
  std::string stranger;                // a number on no card
  std::vector<SimPerson> parties;      // whom the book finds for each party asked for, in order
  std::vector<std::string> favorites;  // CallBar's favourites, by name (or address)
  std::size_t historyEntries = 0;      // entries of CallBar's call history
  std::string unreadable;              // why the address book cannot be read; no role is then known
  std::string failure;  // why the cast itself could not be read; nothing is then known

  const std::optional<SimPerson>& role(SimRole role) const;
};

// A role the device cannot fill: the scene is not played there, and the page says why.
struct SceneSkipped : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads the cast of the device this process runs on. `parties` are looked up as the add-on looks
// up a call's party.
SimCast readCast(const std::vector<std::string>& parties);

// The cast as a property list and back, for the process that reads it and the simulator.
id castPropertyList(const SimCast& cast);
SimCast castFromPropertyList(const id& plist);

// "+1 (555) 010-0100, John Appleseed, whose photo is on their own card": the party and what the
// book makes of it, for captions.
std::string describeCaller(const SimPerson& person);
// For a photo that is not square, the sentence that says why it shows squashed (starting with
// ". "); empty otherwise.
std::string photoShape(const SimPerson& person);
// The person's name, or the party when the card has none.
std::string nameOrParty(const SimPerson& person);

}  // namespace simulator
