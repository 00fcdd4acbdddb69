// Screens as PNG files, made for speed: the pixels cairo's own PNG writer gives, compressed at
// zlib's fastest level with unfiltered rows (a screen's runs of one colour compress best as they
// are) instead of its default level and a filter tried per row, and without an alpha channel when
// every pixel is opaque. A screen is drawn and written many times and read back a few: the bytes
// may differ from cairo's, what they show never does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "uikit/UIImage.h"

namespace standin {

// The surface as PNG bytes into *png; false when the surface cannot be encoded.
bool encodeScreenPNG(cairo_surface_t* surface, std::vector<uint8_t>* png);

// The picture as a PNG file at a real path, whole or not at all (a screen is made again, not
// kept: the write does not wait for the disk); false with the reason.
bool writeScreenPNG(const UIImagePtr& image, const std::string& realPath, std::string* reason);

}  // namespace standin
