#include "uikit/UIImage.h"

#include <cairo.h>

#include <cstdio>
#include <vector>

#include "foundation/Device.h"
#include "foundation/PropertyList.h"
#include "uikit/UIGraphics.h"

STANDIN_DEFINE_CLASS(UIImage, NSObject)

namespace {
// Larger files are no picture the system would show.
constexpr std::size_t kMaxFileBytes = 64 * 1024 * 1024;

CGFloat scaleFromName(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  std::string stem = name.substr(0, name.find_last_of('.'));
  if (stem.ends_with("@3x")) return 3;
  if (stem.ends_with("@2x")) return 2;
  return 1;
}
}  // namespace

UIImage::UIImage(CGImageRef image, CGFloat scale)
    : NSObject(class_()), image_(CGImageRetain(image)), scale_(scale > 0 ? scale : 1) {}

UIImage::~UIImage() {
  CGImageRelease(image_);
}

std::shared_ptr<UIImage> UIImage::imageWithData(const std::shared_ptr<NSData>& data) {
  return imageWithData(data, 1.0);
}

std::shared_ptr<UIImage> UIImage::imageWithData(const std::shared_ptr<NSData>& data,
                                                CGFloat scale) {
  if (!data || data->bytes.empty()) return nullptr;
  CGImageRef image = CGImageCreateWithEncodedData(data->bytes.data(), data->bytes.size());
  if (!image) return nullptr;
  auto result = make<UIImage>(image, scale);
  CGImageRelease(image);
  result->setSource(data->source);
  return result;
}

std::shared_ptr<UIImage> UIImage::imageWithDataCovering(const std::shared_ptr<NSData>& data,
                                                        size_t width, size_t height) {
  if (!data || data->bytes.empty()) return nullptr;
  CGImageRef image =
      CGImageCreateWithEncodedDataCovering(data->bytes.data(), data->bytes.size(), width, height);
  if (!image) return nullptr;
  auto result = make<UIImage>(image, 1.0);
  CGImageRelease(image);
  result->setSource(data->source);
  return result;
}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfFile(const std::string& path) {
  if (path.empty()) return nullptr;
  auto bytes = readRealFile(fileSystemRepresentation(path), nullptr, kMaxFileBytes);
  if (!bytes) return nullptr;
  return imageWithData(make<NSData>(std::move(*bytes)), scaleFromName(path));
}

std::shared_ptr<UIImage> UIImage::imageWithCGImage(CGImageRef image, CGFloat scale) {
  return image ? make<UIImage>(image, scale) : nullptr;
}

CGSize UIImage::size() const {
  return {CGImageGetWidth(image_) / scale_, CGImageGetHeight(image_) / scale_};
}

std::string UIImage::source() const {
  std::lock_guard guard(sourceLock_);
  return source_;
}

void UIImage::setSource(std::string source) {
  std::lock_guard guard(sourceLock_);
  source_ = std::move(source);
}

void UIImageSetDerivedSource(const std::shared_ptr<UIImage>& made,
                             const std::shared_ptr<UIImage>& from, const std::string& what) {
  if (!made || made == from) return;
  std::string base = from ? from->source() : std::string();
  made->setSource(base.empty() ? what : base + ", " + what);
}

void UIImage::drawInRect(CGRect rect) const {
  CGContextDrawImage(UIGraphicsGetCurrentContext(), rect, image_);
  standin::UIGraphicsNoteDrawnSource(source());
}

void UIImage::drawAtPoint(CGPoint point) const {
  CGSize s = size();
  drawInRect(CGRectMake(point.x, point.y, s.width, s.height));
}

std::shared_ptr<NSData> UIImagePNGRepresentation(const UIImagePtr& image) {
  if (!image || !image->CGImage()) return nullptr;
  std::vector<uint8_t> bytes;
  auto append = [](void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
  };
  if (cairo_surface_write_to_png_stream(CGImageGetSurface(image->CGImage()), append, &bytes) !=
      CAIRO_STATUS_SUCCESS) {
    return nullptr;
  }
  return make<NSData>(std::move(bytes));
}

bool UIImageWritePNGToFile(const UIImagePtr& image, const std::string& realPath,
                           std::string* reason) {
  auto png = UIImagePNGRepresentation(image);
  if (!png) {
    if (reason) *reason = "there is no picture to write";
    return false;
  }
  return writeRealFile(realPath, png->bytes, true, reason);
}
