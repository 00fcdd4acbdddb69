#include "TalvoCBPaths.h"
#include "TalvoCBRoundedRect.h"
#include "TalvoCBUtils+Settings.h"
#include "uikit/UIImage.h"

void appendRoundedRectPath(CGContextRef context, CGRect rect, float ovalWidth, float ovalHeight) {
  if (ovalWidth == 0 || ovalHeight == 0) {
    CGContextAddRect(context, rect);
    return;
  }
  CGContextSaveGState(context);
  CGContextTranslateCTM(context, rect.origin.x, rect.origin.y);
  CGContextScaleCTM(context, ovalWidth, ovalHeight);
  CGFloat fw = rect.size.width / ovalWidth;
  CGFloat fh = rect.size.height / ovalHeight;
  CGContextMoveToPoint(context, fw, fh / 2);
  CGContextAddArcToPoint(context, fw, fh, fw / 2, fh, 1);
  CGContextAddArcToPoint(context, 0, fh, 0, fh / 2, 1);
  CGContextAddArcToPoint(context, 0, 0, fw / 2, 0, 1);
  CGContextAddArcToPoint(context, fw, 0, fw, fh / 2, 1);
  CGContextClosePath(context);
  CGContextRestoreGState(context);
}

CGMutablePathRef createRoundedCornerPath(CGRect rect, CGFloat radius) {
  CGFloat x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
  CGFloat r = radius;
  CGMutablePathRef path = CGPathCreateMutable();
  CGPathMoveToPoint(path, nullptr, x + r, y);
  CGPathAddLineToPoint(path, nullptr, x + w - r, y);
  CGPathAddQuadCurveToPoint(path, nullptr, x + w, y, x + w, y + r);
  CGPathAddLineToPoint(path, nullptr, x + w, y + h - r);
  CGPathAddQuadCurveToPoint(path, nullptr, x + w, y + h, x + w - r, y + h);
  CGPathAddLineToPoint(path, nullptr, x + r, y + h);
  CGPathAddQuadCurveToPoint(path, nullptr, x, y + h, x, y + h - r);
  CGPathAddLineToPoint(path, nullptr, x, y + r);
  CGPathAddQuadCurveToPoint(path, nullptr, x, y, x + r, y);
  return path;
}

std::shared_ptr<UIImage> drawWithCornerRule(const std::shared_ptr<UIImage>& image,
                                            std::size_t width, std::size_t height) {
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGContextRef context = CGBitmapContextCreate(nullptr, width, height, 8, width * 4, space,
                                               kCGImageAlphaPremultipliedFirst);
  CGColorSpaceRelease(space);
  if (!context) return nullptr;
  CGRect rect = CGRectMake(0, 0, width, height);
  float oval = TalvoCBUtils::isRoundedPicsEnabled() ? 40.0f : 5.0f;
  CGContextBeginPath(context);
  appendRoundedRectPath(context, rect, oval, oval);
  CGContextClosePath(context);
  CGContextClip(context);
  if (image) CGContextDrawImage(context, rect, image->CGImage());
  CGImageRef bitmap = CGBitmapContextCreateImage(context);
  CGContextRelease(context);
  auto picture = UIImage::imageWithCGImage(bitmap);
  CGImageRelease(bitmap);
  // Drawn with CoreGraphics, not through UIImage: the picture still says what it shows.
  if (picture && image) picture->setSource(image->source());
  return picture;
}
