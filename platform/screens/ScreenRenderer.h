// What a screen shows: a view tree laid out and drawn into a picture at the screen's scale.
#pragma once

#include <memory>
#include <vector>

#include "uikit/UIImage.h"
#include "uikit/UIView.h"

namespace standin {

// The layout pass before drawing: layoutIfNeeded on the root, which sends layoutSubviews through
// the runtime to each view marked as needing layout, a view before its subviews (which its layout
// may have added or moved). A layoutSubviews of another type is logged and the pass ends there.
void layoutViewTree(const std::shared_ptr<UIView>& root);

// The tree drawn from the root's top-left corner into a picture of the root's size at the scale
// (0: the main screen's); nil when that size gives no bitmap.
UIImagePtr renderViewTree(const std::shared_ptr<UIView>& root, CGFloat scale = 0);

// Several trees drawn back to front, each at its frame's origin, into one picture of the size:
// the windows of a screen, the ones in front over what lies behind them.
UIImagePtr renderViewTrees(const std::vector<std::shared_ptr<UIView>>& roots, CGSize size,
                           CGFloat scale = 0);
}  // namespace standin
