// Library-internal drawing helpers.
#pragma once

#include "coregraphics/CoreGraphics.h"

// Adds a rounded rectangle as a sub-path of the context's current path: corners of radius
// ovalWidth across and ovalHeight down; a plain rectangle when either is 0.
__attribute__((visibility("hidden"))) void appendRoundedRectPath(CGContextRef context, CGRect rect,
                                                                 float ovalWidth, float ovalHeight);
