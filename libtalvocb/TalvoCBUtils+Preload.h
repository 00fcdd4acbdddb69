// Filling the image cache from the address book's thumbnail store in one pass.
#pragma once

namespace TalvoCBUtils {
void prepareImageCache();
}  // namespace TalvoCBUtils
