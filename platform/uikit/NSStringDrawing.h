// Drawing and measuring a line of text with pango, in the current image context's fill colour.
#pragma once

#include <memory>
#include <string>

#include "coregraphics/CoreGraphics.h"

class UIFont;

enum NSLineBreakMode : long {
  NSLineBreakByWordWrapping = 0,
  NSLineBreakByCharWrapping,
  NSLineBreakByClipping,
  NSLineBreakByTruncatingHead,
  NSLineBreakByTruncatingTail,
  NSLineBreakByTruncatingMiddle,
};
enum NSTextAlignment : long {
  NSTextAlignmentLeft = 0,
  NSTextAlignmentCenter = 1,
  NSTextAlignmentRight = 2,
};
enum NSStringDrawingOptions : long {
  NSStringDrawingUsesLineFragmentOrigin = 1 << 0,
  NSStringDrawingUsesFontLeading = 1 << 1,
  NSStringDrawingUsesDeviceMetrics = 1 << 3,
};

// -[NSString drawInRect:withFont:lineBreakMode:alignment:]: lays the text out in the rectangle's
// width from its top; with a truncating mode the text stays on one line and is cut with an
// ellipsis. Answers the size used.
CGSize NSStringDrawInRect(const std::string& text, CGRect rect, const std::shared_ptr<UIFont>& font,
                          NSLineBreakMode lineBreakMode, NSTextAlignment alignment);
// -[NSString boundingRectWithSize:options:attributes:context:] for one line: the line box at the
// origin, or with NSStringDrawingUsesDeviceMetrics the glyphs' ink, relative to the top-left of the
// line box.
CGRect NSStringBoundingRect(const std::string& text, CGSize size, long options,
                            const std::shared_ptr<UIFont>& font);
