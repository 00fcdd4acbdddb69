#include "uikit/TextWarmUp.h"

#include "coregraphics/CoreGraphics.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/UIFont.h"
#include "uikit/UIGraphics.h"

namespace standin {

void warmUpTextDrawing() {
  // The system families of 7 and 8 and of 9 (UIFont's), at the sizes of the screens' labels.
  static const char* const kFamilies[] = {"Inter", "TeX Gyre Heros"};
  static const double kSizes[] = {10, 12, 13, 14, 15, 17, 26};
  static const char kText[] = "Carrier 9:41 AM 100% John Appleseed mobile Favourites Recents";
  for (double scale : {2.0, 3.0}) {
    CGContextRef context = CGContextCreateForImage(static_cast<size_t>(400 * scale),
                                                   static_cast<size_t>(40 * scale), scale);
    UIGraphicsPushContext(context);
    for (const char* family : kFamilies) {
      for (double size : kSizes) {
        for (bool bold : {false, true}) {
          auto font = make<UIFont>(family, size, bold);
          NSStringDrawInRect(kText, CGRectMake(0, 0, 400, 40), font, NSLineBreakByTruncatingTail,
                             NSTextAlignmentLeft);
        }
      }
    }
    UIGraphicsPopContext();
    CGContextRelease(context);
  }
}

}  // namespace standin
