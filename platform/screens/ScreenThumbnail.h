// A screen scaled down for a page that shows many: halved with exact 2x2 means while it is over
// twice the size, then scaled bilinearly the rest of the way, so that every pixel counts and thin
// lines and text stay readable.
#pragma once

#include <string>

typedef struct _cairo_surface cairo_surface_t;

namespace standin {

// The screen `width` pixels wide (never wider than it is), its height in proportion, as a JPEG
// file (over white) at a real path, whole or not at all; false with the reason.
bool writeScreenThumbnail(cairo_surface_t* screen, int width, const std::string& realPath,
                          std::string* reason);

}  // namespace standin
