#include "UIImage+TalvoCB.h"

#include "TalvoCBRoundedRect.h"
#include "uikit/UIGraphics.h"

std::shared_ptr<UIImage> imageWithRoundedCornersRadius(const std::shared_ptr<UIImage>& image,
                                                       float radius) {
  if (!image) return nullptr;
  CGSize size = image->size();
  CGRect bounds = CGRectMake(0, 0, size.width, size.height);
  UIGraphicsBeginImageContextWithOptions(size, false, 0);
  CGContextRef context = UIGraphicsGetCurrentContext();
  CGContextBeginPath(context);
  appendRoundedRectPath(context, bounds, radius, radius);
  CGContextClosePath(context);
  CGContextClip(context);
  image->drawInRect(bounds);
  auto result = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  UIImageSetDerivedSource(result, image, "rounded corners");
  return result;
}
