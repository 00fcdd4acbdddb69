// The lookup's per-process state (the identifier map and the shared address-book handle), for the
// image cache's clearImageCache.
#pragma once

// Empties the identifier map, releases and forgets the shared handle and re-arms its guard, so
// that the next request makes a new handle and the next lookup searches again.
void TalvoCBResetContactLookup();
