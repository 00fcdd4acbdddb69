// Exported path builders.
#pragma once

#include "coregraphics/CoreGraphics.h"

// A new path (the caller releases it) around the rectangle with corners of the radius drawn as
// quadratic curves; the sub-path is left open where it began.
CGMutablePathRef createRoundedCornerPath(CGRect rect, CGFloat radius);
