// The look the system's contact lists share.
#pragma once

#include <memory>

#include "coregraphics/CGGeometry.h"

class UIColor;

namespace contactlists {

std::shared_ptr<UIColor> separatorColour();
constexpr CGFloat kRowHeight = 44;
constexpr CGFloat kTextInset = 15;

}  // namespace contactlists
