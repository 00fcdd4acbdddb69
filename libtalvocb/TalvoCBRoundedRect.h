// Library-internal drawing helpers.
#pragma once

#include <cstddef>
#include <memory>

#include "coregraphics/CoreGraphics.h"

class UIImage;

// Adds a rounded rectangle as a sub-path of the context's current path: corners of radius
// ovalWidth across and ovalHeight down; a plain rectangle when either is 0.
__attribute__((visibility("hidden"))) void appendRoundedRectPath(CGContextRef context, CGRect rect,
                                                                 float ovalWidth, float ovalHeight);

// The picture (or nothing, when it is nil) drawn into a bitmap of whole pixels at scale 1,
// stretched to fill it and clipped to corners of 40 with round pictures on, else 5: the corner
// rule of contact photos and file pictures. Nil when no bitmap of that size can be made.
__attribute__((visibility("hidden"))) std::shared_ptr<UIImage> drawWithCornerRule(
    const std::shared_ptr<UIImage>& image, std::size_t width, std::size_t height);
