// Monograms: initials in white on a palette colour, and the pictures shown when there is no text.
#pragma once

#include <cstdint>

#include "TalvoCBUtilsTypes.h"

namespace TalvoCBUtils {
// At 40 x 40 points in a colour of the full palette, cached under the contact when it is one.
UIImagePtr monogramImage(const OptionalString& text, long contactID);
UIImagePtr monogramImage(const OptionalString& text, long contactID, CGSize size);
// In a colour of the dark palette and the caller's font, as the system's monogrammers draw.
UIImagePtr monogramImage(const OptionalString& text, CGSize size, const UIFontPtr& font);
// Drawn on every call, neither read from nor put into the cache.
UIImagePtr monogramImage(const OptionalString& text, CGSize size, const UIColorPtr& color,
                         const UIFontPtr& font);
// The bundle's silhouette on a palette colour.
UIImagePtr getMonogramImage(long contactID);
// The silhouette of a caller in no card, cached under the call's start time in a key space of its
// own: a start time never reads as a contact's picture, nor a contact's as the caller's.
UIImagePtr unknownCallerMonogram(int64_t startTime);
// What a place shows when it has nothing better: a silhouette with monograms on, else the
// placeholder picture.
UIImagePtr defaultImage();
}  // namespace TalvoCBUtils
