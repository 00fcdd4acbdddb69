// The look the system's contact lists share.
#pragma once

#include <functional>
#include <memory>

#include "coregraphics/CGGeometry.h"

class UIColor;
class UITableViewCell;
class UIView;

namespace contactlists {

std::shared_ptr<UIColor> separatorColour();
constexpr CGFloat kRowHeight = 44;
constexpr CGFloat kTextInset = 15;

// A row's separator, which starts where the row's text starts (ends there, right to left), not
// under a picture before it. It is placed after the row's own layout and whatever moved the
// text then, in the same layout pass: the row's layoutSubviews only marks it with
// setNeedsLayout. `textStart` answers the text's leading edge in the row's points.
std::shared_ptr<UIView> makeSeparator(std::function<CGFloat(UITableViewCell&)> textStart);

}  // namespace contactlists
