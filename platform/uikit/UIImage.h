// Pictures: a premultiplied ARGB bitmap (CGImage) with a scale; the size is in points.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "coregraphics/CoreGraphics.h"
#include "foundation/NSValueTypes.h"
#include "runtime/objc.h"

class UIImage : public NSObject {
 public:
  static Class class_();
  // Retains the bitmap.
  UIImage(CGImageRef image, CGFloat scale);
  ~UIImage() override;

  // nil for data that is empty, truncated, not a PNG or JPEG picture, or too large.
  static std::shared_ptr<UIImage> imageWithData(const std::shared_ptr<NSData>& data);
  static std::shared_ptr<UIImage> imageWithData(const std::shared_ptr<NSData>& data, CGFloat scale);
  // For a picture drawn at most width x height pixels, at scale 1: decoded no larger than needed
  // to cover that size (see CGImageCreateWithEncodedDataCovering). nil as imageWithData.
  static std::shared_ptr<UIImage> imageWithDataCovering(const std::shared_ptr<NSData>& data,
                                                        size_t width, size_t height);
  // A device path; a name ending in "@2x" or "@3x" before the extension gives that scale.
  static std::shared_ptr<UIImage> imageWithContentsOfFile(const std::string& path);
  static std::shared_ptr<UIImage> imageWithCGImage(CGImageRef image, CGFloat scale = 1.0);

  CGSize size() const;
  CGFloat scale() const { return scale_; }
  CGImageRef CGImage() const { return image_; }

  // What the picture shows, in a few words for screen dumps ("photo of contact 1",
  // "monogram JS #1A2B3C"), set where the picture is made; empty when nobody said.
  std::string source() const;
  void setSource(std::string source);

  // Draw into the current image context, upright.
  void drawInRect(CGRect rect) const;
  void drawAtPoint(CGPoint point) const;

 private:
  CGImageRef image_;
  CGFloat scale_;
  mutable std::mutex sourceLock_;  // a picture may be read on the main thread as a worker makes it
  std::string source_;
};

using UIImagePtr = std::shared_ptr<UIImage>;

// Gives the picture made from another that one's source followed by what was done to it
// ("photo of contact 1, rounded"); nothing for nil.
void UIImageSetDerivedSource(const std::shared_ptr<UIImage>& made,
                             const std::shared_ptr<UIImage>& from, const std::string& what);

// The picture as PNG bytes (its pixels; the scale is not recorded); nil for nil.
std::shared_ptr<NSData> UIImagePNGRepresentation(const UIImagePtr& image);
// Writes the picture as a PNG file at a real path of this machine (the simulator's tools), whole
// or not at all: through a temporary file and a rename, never through a link or into anything
// but a regular file. False with the reason in *reason.
bool UIImageWritePNGToFile(const UIImagePtr& image, const std::string& realPath,
                           std::string* reason = nullptr);
