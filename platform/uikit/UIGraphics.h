// Image contexts, kept on a stack per thread.
#pragma once

#include <memory>
#include <string>

#include "coregraphics/CoreGraphics.h"

class UIImage;

// Opens a context of the size in points at the scale (0: the main screen's) and makes it current.
// A size that gives no pixels, or too many, opens an empty slot: nothing current, no image, and
// UIGraphicsEndImageContext still balances it.
void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale);
void UIGraphicsBeginImageContext(CGSize size);
CGContextRef UIGraphicsGetCurrentContext();
std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext();
void UIGraphicsEndImageContext();
// Makes another context current until the matching pop (it is not owned by the stack).
void UIGraphicsPushContext(CGContextRef context);
void UIGraphicsPopContext();

namespace standin {
// A picture drawn into the current context leaves its source there, so that the picture taken
// from an image context says what it was made from (the first picture with one drawn).
void UIGraphicsNoteDrawnSource(const std::string& source);
// What UIGraphicsGetImageFromCurrentImageContext and then UIGraphicsEndImageContext give, the
// picture taking the context's pixels over instead of a copy of them: for a picture the size of
// a screen, drawn once.
std::shared_ptr<UIImage> UIGraphicsTakeImageFromCurrentImageContext();
}  // namespace standin
