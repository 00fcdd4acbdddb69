// The per-process image cache, keyed by contact identifier, and the shared operation queue that
// builds pictures off the main thread.
#pragma once

#include <cstdint>
#include <memory>

#include "TalvoCBUtilsTypes.h"

class NSOperationQueue;

namespace TalvoCBUtils {
// A nil picture is not cached; the refusal is logged.
void setContactImage(const UIImagePtr& image, int32_t contactId);
UIImagePtr getContactImageInCache(int32_t contactID);
// Also forgets the contact's looked-up parties; NO when no picture was held.
bool removeImageFromCache(int32_t contactID);
// Every picture, the identifier map and the shared address-book handle.
void clearImageCache();
std::shared_ptr<NSOperationQueue> queue();
}  // namespace TalvoCBUtils
