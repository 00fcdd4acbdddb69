// Pictures loaded from image files, cached under their paths.
#pragma once

#include <string>

#include "TalvoCBUtilsTypes.h"

namespace TalvoCBUtils {
UIImagePtr getImage(const std::string& path);
}  // namespace TalvoCBUtils
