// Library-internal file picture steps.
#pragma once

#include <string>

#include "TalvoCBUtilsTypes.h"

namespace TalvoCBUtils {
UIImagePtr getImage(const std::string& path, CGSize size);
// The file's picture as decoded, without the redrawing, cached under its path.
UIImagePtr imageFromContentOfFile(const std::string& path);
}  // namespace TalvoCBUtils
