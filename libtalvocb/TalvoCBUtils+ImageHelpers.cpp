// The contact picture and the scaling and clipping helpers.
#include <algorithm>
#include <cmath>

#include "TalvoCBRoundedRect.h"
#include "TalvoCBUtils+ImageHelpers.h"
#include "TalvoCBUtils+ImageHelpersInternal.h"
#include "TalvoCBUtils+Settings.h"
#include "uikit/UIDevice.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"

namespace {
constexpr size_t kPictureSide = 80;
}  // namespace

UIImagePtr TalvoCBUtils::getImageFromImageData(const NSDataPtr& data) {
  if (!data || data->length() == 0) return nullptr;
  // Data that does not decode still gives the picture, with nothing drawn in it. The photo is
  // decoded no larger than the picture needs, whatever size its file declares.
  auto picture = drawWithCornerRule(
      UIImage::imageWithDataCovering(data, kPictureSide, kPictureSide), kPictureSide, kPictureSide);
  // The picture says whose photo it is when the data did (see NSData's source).
  if (picture && picture->source().empty()) picture->setSource("photo");
  return picture;
}

UIImagePtr TalvoCBUtils::resizeImage(const UIImagePtr& image, int withWidth, int withHeight) {
  if (!image) return nullptr;
  CGSize size = image->size();
  float f = std::min(static_cast<float>(2 * withWidth) / static_cast<float>(size.width),
                     static_cast<float>(2 * withHeight) / static_cast<float>(size.height));
  CGRect rect = CGRectMake(0, 0, f * size.width, f * size.height);
  UIGraphicsBeginImageContextWithOptions(rect.size, false, 0);
  image->drawInRect(rect);
  auto result = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  UIImageSetDerivedSource(result, image, "resized");
  return result;
}

UIImagePtr TalvoCBUtils::roundedImage(const UIImagePtr& image, float width, float height) {
  if (!image) return nullptr;
  if (!isRoundedPicsEnabled()) return image;
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(width, height), false, 0);
  CGContextRef context = UIGraphicsGetCurrentContext();
  CGContextBeginPath(context);
  CGContextAddArc(context, width / 2, height / 2, width / 2, 0, 2 * M_PI, 0);
  CGContextClosePath(context);
  CGContextClip(context);
  CGContextScaleCTM(context, width / image->size().width, height / image->size().height);
  image->drawAtPoint(CGPointMake(0, 0));
  auto result = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  UIImageSetDerivedSource(result, image, "rounded");
  return result;
}

UIImagePtr TalvoCBUtils::roundedImage(const UIImagePtr& image) {
  return roundedImage(image, 80, 80);
}

UIImagePtr TalvoCBUtils::scaleImage(const UIImagePtr& image, CGSize toSize) {
  if (!image) return nullptr;
  auto screen = UIScreen::mainScreen();
  CGFloat f = screen->respondsToSelector(sel_registerName("scale")) ? screen->scale() : 1.0;
  CGSize size = image->size();
  if (size.width > toSize.width || size.height > toSize.height) {
    f = std::max(toSize.width / size.width, toSize.height / size.height);
  }
  UIGraphicsBeginImageContextWithOptions(toSize, false, 1.0);
  image->drawInRect(CGRectMake((toSize.width - f * size.width) * 0.5,
                               (toSize.height - f * size.height) * 0.5, f * size.width,
                               f * size.height));
  auto result = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  UIImageSetDerivedSource(result, image, "scaled");
  return result;
}
