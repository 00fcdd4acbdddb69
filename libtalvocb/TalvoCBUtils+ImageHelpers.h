// Pictures from bytes, and resizing.
#pragma once

#include "TalvoCBUtilsTypes.h"

namespace TalvoCBUtils {
UIImagePtr getImageFromImageData(const NSDataPtr& data);
UIImagePtr resizeImage(const UIImagePtr& image, int withWidth, int withHeight);
}  // namespace TalvoCBUtils
