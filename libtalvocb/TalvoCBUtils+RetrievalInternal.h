// Library-internal ways of reaching a contact's picture.
#pragma once

#include <cstdint>

#include "TalvoCBUtilsTypes.h"

namespace TalvoCBUtils {
NSDataPtr getContactImageDataFromAB(int32_t contactID);
NSDataPtr getContactImageABUIPerson(const id& person);
UIImagePtr getContactImage(int32_t contactID);
UIImagePtr getContactImageByNumber(const OptionalString& party);
UIImagePtr getContactImageFromAB(int32_t contactID, const OptionalString& monogramText);
UIImagePtr getContactImageFromAB(int32_t contactID, bool addressBook,
                                 const OptionalString& monogramText);
UIImagePtr getContactImageOnlyIOS7(const id& person);
UIImagePtr getChatKitContactImageOnly(int32_t contactID, const OptionalString& monogramText,
                                      int64_t date);
}  // namespace TalvoCBUtils

// The thumbnail reader: the thumbnail bytes of a record, or nil; attempt counts the reads already
// made of a locked file.
NSDataPtr getContactImageFromABForID(int32_t contactID, int32_t attempt);
