// The contact lookup's per-process state, as the image cache's full clear needs it.
#pragma once

// Empties the identifier map, releases the shared address-book handle and re-arms its
// once-guard, so that the next lookup searches the current address book with a fresh handle.
void TalvoCBResetContactLookup();
