// Library-internal picture steps.
#pragma once

#include "TalvoCBUtilsTypes.h"

namespace TalvoCBUtils {
UIImagePtr roundedImage(const UIImagePtr& image, float width, float height);
UIImagePtr roundedImage(const UIImagePtr& image);
UIImagePtr scaleImage(const UIImagePtr& image, CGSize toSize);
}  // namespace TalvoCBUtils
