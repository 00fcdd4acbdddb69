// Helpers of the picture tests: pictures drawn to order, encoded pictures, pixel questions, and a
// device with the bundle's pictures, an empty image cache and every switch on.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "BundlePictures.h"
#include "SamplePictures.h"
#include "TALCBSettings.h"
#include "TalvoCBUtils+Cache.h"
#include "TemporaryDevice.h"
#include "coregraphics/JPEGEncoding.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"

// A picture of whole points at a scale, painted by the function in points.
inline UIImagePtr drawnImage(CGSize size, CGFloat scale,
                             const std::function<void(CGContextRef)>& paint) {
  UIGraphicsBeginImageContextWithOptions(size, false, scale);
  paint(UIGraphicsGetCurrentContext());
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return image;
}

inline UIImagePtr solidImage(CGSize size, CGFloat r, CGFloat g, CGFloat b, CGFloat scale = 1) {
  return drawnImage(size, scale, [&](CGContextRef c) {
    CGContextSetRGBFillColor(c, r, g, b, 1);
    CGContextFillRect(c, CGRectMake(0, 0, size.width, size.height));
  });
}

// Top half red, bottom half blue: shows whether a picture comes out upright.
inline UIImagePtr redOverBlue(CGSize size) {
  return drawnImage(size, 1, [&](CGContextRef c) {
    CGContextSetRGBFillColor(c, 1, 0, 0, 1);
    CGContextFillRect(c, CGRectMake(0, 0, size.width, size.height / 2));
    CGContextSetRGBFillColor(c, 0, 0, 1, 1);
    CGContextFillRect(c, CGRectMake(0, size.height / 2, size.width, size.height / 2));
  });
}

inline CGPixel pixel(const UIImagePtr& image, size_t x, size_t y) {
  return CGImageGetPixel(image->CGImage(), x, y);
}

inline size_t pixelWidth(const UIImagePtr& image) {
  return CGImageGetWidth(image->CGImage());
}

// A baseline JPEG of the picture (opaque pixels), quality 90.
inline std::shared_ptr<NSData> jpegData(const UIImagePtr& image) {
  CGImageRef bitmap = image->CGImage();
  return make<NSData>(standin::encodeJPEG(CGImageGetPixels(bitmap),
                                          static_cast<int>(CGImageGetWidth(bitmap)),
                                          static_cast<int>(CGImageGetHeight(bitmap)),
                                          static_cast<int>(CGImageGetBytesPerRow(bitmap)), 90));
}

inline ::testing::AssertionResult colourNear(CGPixel p, int r, int g, int b, int tolerance = 12) {
  if (p.alpha == 255 && std::abs(p.red - r) <= tolerance && std::abs(p.green - g) <= tolerance &&
      std::abs(p.blue - b) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "pixel (" << int(p.red) << ", " << int(p.green) << ", " << int(p.blue) << ", alpha "
         << int(p.alpha) << ") is not (" << r << ", " << g << ", " << b << ")";
}

class PictureDevice : public ::testing::Test {
 protected:
  void SetUp() override { enter(DeviceProfile()); }
  void TearDown() override {
    TalvoCBUtils::clearImageCache();
    standin::setMainBundleIdentifier(std::nullopt);
  }
  // A fresh device with the profile, the bundle's pictures and every switch on.
  void enter(const DeviceProfile& profile) {
    device.reset();
    device = std::make_unique<TemporaryDevice>(profile);
    std::string error;
    ASSERT_TRUE(installBundlePictures(device->root(), &error)) << error;
    TalvoCBUtils::clearImageCache();
    auto settings = TALCBSettings::sharedSettings();
    settings->setIsTalvoCBEnabled(true);
    settings->setIsRoundedPicsEnabled(true);
    settings->setIsMonogramEnabled(true);
  }
  void setRound(bool on) { TALCBSettings::sharedSettings()->setIsRoundedPicsEnabled(on); }
  void setMonograms(bool on) { TALCBSettings::sharedSettings()->setIsMonogramEnabled(on); }
  // Replaces a bundle picture with a solid one of the side in pixels.
  void replaceBundlePicture(const std::string& file, int side, CGFloat r, CGFloat g, CGFloat b) {
    auto data = UIImagePNGRepresentation(solidImage(CGSizeMake(side, side), r, g, b));
    ASSERT_TRUE(data->writeToFile(
        "/System/Library/PreferenceBundles/TalvoCBSettings.bundle/" + file, false));
  }

  std::unique_ptr<TemporaryDevice> device;
};
