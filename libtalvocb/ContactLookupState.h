// The lookup's per-process state (the identifier map and the shared address-book handle), for the
// image cache's clearImageCache.
#pragma once

#include <cstdint>
#include <string>

// Empties the identifier map, releases and forgets the shared handle and re-arms its guard, so
// that the next request makes a new handle and the next lookup searches again.
void TalvoCBResetContactLookup();

// The identifier the map holds for the party text exactly as given, or 0: the whole of a repeated
// lookup apart from its log line.
int32_t TalvoCBRememberedContactID(const std::string& party);
