// UIImage (TalvoCB).
#pragma once

#include <memory>

#include "uikit/UIImage.h"

// The picture redrawn at its size and the main screen's scale, clipped to a rectangle with
// rounded corners of the radius; nil for nil.
std::shared_ptr<UIImage> imageWithRoundedCornersRadius(const std::shared_ptr<UIImage>& image,
                                                       float radius);
