// CallBar's files on the device: its favourites and its call history.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/objc.h"

namespace callbar {

// The favourites file: at most kCallBarMaxFavorites, in order.
struct Favorite {
  std::string name;
  std::string address;
  int32_t recordID = 0;
};
std::vector<Favorite> readFavorites();
// The history file: entries of "address" and "calls" (call records, newest first). Unreadable,
// missing or malformed parts give nothing.
std::vector<id> readHistory();
// The entries with missed calls, each with its missed calls alone.
std::vector<id> missedEntries(const std::vector<id>& entries);

}  // namespace callbar
