// TEMPORARY stand-ins for the contact lookup's members that the image cache calls, so that this
// branch links on its own; the contact lookup provides the real ones.
#include "ContactLookupState.h"
#include "TalvoCBUtils.h"

void TalvoCBResetContactLookup() {}

void TalvoCBUtils::removeContactIDFromCache(int32_t) {}
