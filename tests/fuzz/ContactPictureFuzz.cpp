// libFuzzer target of picture bytes made into a contact's picture: the bytes as a thumbnail from
// the address book, and the full decode and resize that file pictures go through. Any bytes give
// a picture of the contact's size or nil, never a crash or a decode larger than the limits allow.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "TalvoCBUtils+ImageHelpers.h"
#include "TalvoCBUtils+Retrieval.h"
#include "fuzz/FuzzDevice.h"
#include "uikit/UIImage.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  FuzzDevice::shared();
  auto bytes = std::make_shared<NSData>(std::vector<uint8_t>(data, data + size));

  if (auto picture = TalvoCBUtils::getImageFromImageData(bytes)) {
    CGSize side = picture->size();
    if (!(side.width > 0 && side.width <= 1000 && side.height > 0 && side.height <= 1000))
      fail("a contact picture of an unexpected size");
  } else if (size > 0) {
    fail("bytes gave no contact picture");
  }

  if (auto image = UIImage::imageWithData(bytes)) {
    CGSize side = image->size();
    if (!(side.width >= 1 && side.height >= 1)) fail("a decoded picture without pixels");
    TalvoCBUtils::resizeImage(image, 40, 40);
  }
  return 0;
}
