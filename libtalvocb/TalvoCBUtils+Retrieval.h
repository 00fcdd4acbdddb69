// A contact's picture: the cached one, else the address book's thumbnail, else a monogram, else the
// placeholder.
#pragma once

#include <cstdint>

#include "TalvoCBUtilsTypes.h"

namespace TalvoCBUtils {
// The contact's photo drawn at 80 x 80 with the corner rule, cached under the contact.
UIImagePtr getImageFromImageData(const NSDataPtr& data, int32_t contactId);
// newImage builds the picture again even when one is cached.
UIImagePtr getContactImageOnly(int32_t contactID, const OptionalString& monogramText, bool newImage,
                               CGSize size, const UIFontPtr& font);
UIImagePtr getContactImageOnly(int32_t contactID, const OptionalString& monogramText, bool newImage,
                               CGSize size);
UIImagePtr getContactImageOnly(int32_t contactID, const OptionalString& monogramText,
                               bool newImage);
}  // namespace TalvoCBUtils
