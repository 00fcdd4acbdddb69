#include "uikit/TextWarmUp.h"

#include "coregraphics/CoreGraphics.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/UIFont.h"
#include "uikit/UIGraphics.h"

namespace standin {

void warmUpTextDrawing() {
  // The system families of 7 and 8 and of 9 (UIFont's) and the system monogrammer's light one,
  // at the sizes of the screens' labels and monograms.
  static const char* const kFamilies[] = {"Inter", "TeX Gyre Heros", "DejaVu Sans Light"};
  static const double kSizes[] = {10, 11, 12, 13, 14, 15, 17, 19, 26};
  static const char kText[] = "Carrier 9:41 AM 100% John Appleseed mobile Favourites Recents";
  // Fonts are looked up per pixel size: at the phones' scales, and at 1 for text measured away
  // from any screen.
  for (double scale : {1.0, 2.0, 3.0}) {
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
