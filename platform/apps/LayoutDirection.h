// The application's layout direction, as the host applications' classes read it.
#pragma once

#include "coregraphics/CGGeometry.h"

namespace apps {

bool rightToLeft();

// Frames from the leading edge of a width: mirrored in a right-to-left layout.
struct Leading {
  CGFloat width;
  bool mirrored;
  CGRect operator()(CGFloat x, CGFloat y, CGFloat w, CGFloat h) const {
    return CGRectMake(mirrored ? width - x - w : x, y, w, h);
  }
};

}  // namespace apps
