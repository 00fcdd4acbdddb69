#include "apps/SystemMonogramDrawing.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "uikit/NSStringDrawing.h"
#include "uikit/UIDevice.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"

namespace standin::apps {
namespace {

// The system's greys: a disc lighter at the top than at the bottom, letters and silhouette in
// greys of their own, so that its pictures never pass for the add-on's coloured ones.
constexpr double kDiscTopGrey = 0.80;
constexpr double kDiscBottomGrey = 0.66;
constexpr double kLetterGrey = 0.27;
constexpr double kSilhouetteGrey = 0.93;

CGRect discRect(CGFloat diameter) {
  return CGRectMake(0, 0, diameter, diameter);
}

// Runs the painter in a context of the disc's size at the screen's scale; answers its picture.
template <class Paint>
std::shared_ptr<UIImage> drawDisc(CGFloat diameter, const std::string& source, Paint paint) {
  if (!(diameter > 0)) return nullptr;
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(diameter, diameter), false, 0);
  CGContextRef context = UIGraphicsGetCurrentContext();
  if (context) {
    CGContextSaveGState(context);
    CGContextAddEllipseInRect(context, discRect(diameter));
    CGContextClip(context);
    paint(context);
    CGContextRestoreGState(context);
  }
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  if (image) image->setSource(source);
  return image;
}

void fillGreyGradient(CGContextRef context, CGFloat diameter) {
  cairo_t* cr = CGContextGetCairo(context);
  cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, diameter);
  cairo_pattern_add_color_stop_rgb(gradient, 0, kDiscTopGrey, kDiscTopGrey, kDiscTopGrey);
  cairo_pattern_add_color_stop_rgb(gradient, 1, kDiscBottomGrey, kDiscBottomGrey, kDiscBottomGrey);
  cairo_save(cr);
  cairo_set_source(cr, gradient);
  cairo_rectangle(cr, 0, 0, diameter, diameter);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_pattern_destroy(gradient);
}

// The rectangle that covers the square with the picture's proportions kept, centred on it.
CGRect aspectFill(CGSize picture, CGFloat side) {
  CGFloat f = std::max(side / picture.width, side / picture.height);
  CGFloat w = picture.width * f, h = picture.height * f;
  return CGRectMake((side - w) / 2, (side - h) / 2, w, h);
}

}  // namespace

std::shared_ptr<UIImage> drawSystemPhotoDisc(const std::shared_ptr<NSData>& data,
                                             CGFloat diameter) {
  CGFloat scale = std::max<CGFloat>(UIScreen::mainScreen()->scale(), 1);
  size_t side = static_cast<size_t>(std::ceil(diameter * scale));
  auto photo = UIImage::imageWithDataCovering(data, side, side);
  if (!photo || !(photo->size().width > 0) || !(photo->size().height > 0)) return nullptr;
  return drawDisc(diameter, "host photo",
                  [&](CGContextRef) { photo->drawInRect(aspectFill(photo->size(), diameter)); });
}

std::shared_ptr<UIImage> drawSystemInitialsDisc(const std::string& initials, CGFloat diameter,
                                                const std::shared_ptr<UIFont>& font) {
  if (initials.empty()) return nullptr;
  return drawDisc(diameter, "host monogram " + initials, [&](CGContextRef context) {
    fillGreyGradient(context, diameter);
    CGSize box = CGSizeMake(diameter, diameter);
    CGRect line = NSStringBoundingRect(initials, box, 0, font);
    CGRect ink = NSStringBoundingRect(initials, box, NSStringDrawingUsesDeviceMetrics, font);
    // The letters' ink, not their line box, sits in the middle of the disc.
    CGRect at = CGRectMake(0, diameter / 2 - (ink.origin.y + ink.size.height / 2), diameter,
                           line.size.height);
    if (line.size.width <= diameter) {
      at.origin.x = line.size.width / 2 - (ink.origin.x + ink.size.width / 2);
    }
    CGContextSetRGBFillColor(context, kLetterGrey, kLetterGrey, kLetterGrey, 1);
    NSStringDrawInRect(initials, at, font, NSLineBreakByTruncatingTail, NSTextAlignmentCenter);
  });
}

std::shared_ptr<UIImage> drawSystemPlaceholderDisc(CGFloat diameter) {
  return drawDisc(diameter, "host placeholder", [&](CGContextRef context) {
    fillGreyGradient(context, diameter);
    CGContextSetRGBFillColor(context, kSilhouetteGrey, kSilhouetteGrey, kSilhouetteGrey, 1);
    CGFloat head = diameter * 0.34;
    CGContextFillEllipseInRect(context,
                               CGRectMake((diameter - head) / 2, diameter * 0.20, head, head));
    CGFloat shoulders = diameter * 0.64;
    CGContextFillEllipseInRect(context, CGRectMake((diameter - shoulders) / 2, diameter * 0.60,
                                                   shoulders, diameter * 0.60));
  });
}

}  // namespace standin::apps
