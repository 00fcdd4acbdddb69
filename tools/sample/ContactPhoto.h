// A contact's photo as the phone keeps it: the picture as given (full size) and a thumbnail made
// from it, once the bytes have been decoded and found to be a picture.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "SamplePictures.h"

namespace sample {

// The thumbnail's side in pixels and JPEG quality.
inline constexpr int kThumbnailSide = 120;
inline constexpr int kThumbnailQuality = 90;
// The largest photo the writers take; larger files are refused before they are read.
inline constexpr std::size_t kLargestPhoto = 16 * 1024 * 1024;

struct ContactPhoto {
  Picture fullSize;
  Picture thumbnail;
};

// Nothing, with the reason, when the bytes do not decode as a JPEG or PNG picture (the platform's
// decoder, with its limits on size).
std::optional<ContactPhoto> makeContactPhoto(std::vector<uint8_t> bytes, std::string* reason);

}  // namespace sample
