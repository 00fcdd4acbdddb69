#include "ContactPhoto.h"

#include <algorithm>

#include "coregraphics/JPEGEncoding.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"

namespace sample {
namespace {

// The middle square of the photo, at the thumbnail's size, as the phone crops it.
std::optional<Picture> thumbnailOf(const std::shared_ptr<UIImage>& photo) {
  CGSize size = photo->size();
  CGFloat side = std::min(size.width, size.height);
  CGFloat scale = kThumbnailSide / side;
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(kThumbnailSide, kThumbnailSide), true, 1);
  photo->drawInRect(CGRectMake((side - size.width) / 2 * scale, (side - size.height) / 2 * scale,
                               size.width * scale, size.height * scale));
  auto drawn = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  if (!drawn) return std::nullopt;
  CGImageRef image = drawn->CGImage();
  Picture thumbnail;
  thumbnail.width = thumbnail.height = kThumbnailSide;
  thumbnail.bytes =
      standin::encodeJPEG(CGImageGetPixels(image), kThumbnailSide, kThumbnailSide,
                          static_cast<int>(CGImageGetBytesPerRow(image)), kThumbnailQuality);
  return thumbnail;
}

}  // namespace

std::optional<ContactPhoto> makeContactPhoto(std::vector<uint8_t> bytes, std::string* reason) {
  auto fail = [reason](const char* why) -> std::optional<ContactPhoto> {
    if (reason) *reason = why;
    return std::nullopt;
  };
  if (bytes.size() > kLargestPhoto) return fail("is larger than 16 MB");
  bool png = bytes.size() >= 8 && bytes[0] == 0x89 && bytes[1] == 'P';
  auto data = make<NSData>(std::move(bytes));
  auto photo = UIImage::imageWithData(data);
  if (!photo) return fail("is not a picture this tool can read");
  CGSize size = photo->size();
  if (size.width < 1 || size.height < 1) return fail("is not a picture this tool can read");
  auto thumbnail = thumbnailOf(photo);
  if (!thumbnail) return fail("cannot be drawn as a thumbnail");
  ContactPhoto result;
  result.fullSize.bytes = std::move(data->bytes);
  result.fullSize.width = static_cast<int>(size.width);
  result.fullSize.height = static_cast<int>(size.height);
  result.fullSize.format = png ? PictureFormat::PNG : PictureFormat::JPEG;
  result.thumbnail = std::move(*thumbnail);
  return result;
}

}  // namespace sample
