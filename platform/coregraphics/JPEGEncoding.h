// Opaque 32-bit ARGB pixels (cairo's and the platform's bitmaps) as a baseline JPEG, with
// libjpeg-turbo.
#pragma once

#include <cstdint>
#include <vector>

namespace standin {

// The JPEG of `quality` (1 to 100); colour at half resolution as libjpeg's default, or at full
// resolution with `fullColour` (crisper coloured text). Empty when libjpeg fails.
std::vector<uint8_t> encodeJPEG(const uint8_t* pixels, int width, int height, int stride,
                                int quality, bool fullColour = false);

}  // namespace standin
