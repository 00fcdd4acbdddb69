// Drawing and measuring a line of text with pango, in the current image context's fill colour.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "coregraphics/CoreGraphics.h"

class UIFont;
class NSDictionary;

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
  NSTextAlignmentJustified = 3,
  // Leading: left in a left-to-right layout, right in a right-to-left one.
  NSTextAlignmentNatural = 4,
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
// NSStringDrawInRect with the text placed from its own measurements: the line is laid out once,
// `place` is given the line box as NSStringBoundingRect answers it (line) and the glyphs' ink
// relative to it (ink), and answers where the rectangle's origin goes.
struct NSStringLineMetrics {
  CGRect line, ink;
};
CGSize NSStringDrawInRectPlaced(const std::string& text, CGRect rect,
                                const std::shared_ptr<UIFont>& font, NSLineBreakMode lineBreakMode,
                                NSTextAlignment alignment,
                                const std::function<CGPoint(const NSStringLineMetrics&)>& place);
// -[NSString boundingRectWithSize:options:attributes:context:] for one line: the line box at the
// origin, or with NSStringDrawingUsesDeviceMetrics the glyphs' ink, relative to the top-left of the
// line box.
CGRect NSStringBoundingRect(const std::string& text, CGSize size, long options,
                            const std::shared_ptr<UIFont>& font);

// Text laid out as a label lays it out. One line (numberOfLines 1) is cut by a truncating mode
// with an ellipsis, or else runs on unwrapped; 0 wraps into the width with no limit; more lines
// wrap and the last one is cut. The text runs in the direction of its first strong letter (the
// layout's direction when it has none); a natural alignment means the layout's leading edge.
struct NSLabelTextStyle {
  std::shared_ptr<UIFont> font;
  NSLineBreakMode lineBreakMode = NSLineBreakByTruncatingTail;
  NSTextAlignment alignment = NSTextAlignmentNatural;
  long numberOfLines = 1;
  bool rightToLeft = false;
  // The text block in the middle of the rectangle's height, as labels place it.
  bool centredVertically = false;
};
// Draws the text from the rectangle's top (or in its middle) in the current image context's fill
// colour.
void NSStringDrawLabelText(const std::string& text, CGRect rect, const NSLabelTextStyle& style);
// The text as a label of that size draws it when it is cut ("unknown.caller@e…"), nothing when it
// is drawn whole.
std::optional<std::string> NSStringShownLabelText(const std::string& text, CGRect rect,
                                                  const NSLabelTextStyle& style);
// Where the text lies as NSStringDrawLabelText draws it in the rectangle: its lines' box, placed
// by the alignment, a cut line with its ellipsis.
CGRect NSStringLabelTextFrame(const std::string& text, CGRect rect, const NSLabelTextStyle& style);
// The size the text takes: unwrapped for one line; else wrapped in maxWidth (0: no limit).
CGSize NSStringMeasureLabelText(const std::string& text, CGFloat maxWidth,
                                const NSLabelTextStyle& style);

// -[NSString sizeWithAttributes:]: the size of one line in the font under NSFontAttributeName
// (the system font of 12 points when there is none), rounded up to whole points as the platform
// answers it.
extern const char* const NSFontAttributeName;
CGSize NSStringSizeWithAttributes(const std::string& text,
                                  const std::shared_ptr<NSDictionary>& attributes);
