#include "screens/ScreenThumbnail.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "coregraphics/JPEGEncoding.h"
#include "foundation/PropertyList.h"

namespace standin {

namespace {
// A thumbnail is seen small and written for every screen: a JPEG with colour at full
// resolution is a quarter of the time of a PNG and shows the same.
constexpr int kThumbnailQuality = 92;

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

SurfacePtr none() {
  return SurfacePtr(nullptr, cairo_surface_destroy);
}

// The surface at half its size, each pixel the mean of the four it covers.
SurfacePtr halved(cairo_surface_t* surface) {
  int width = std::max(1, cairo_image_surface_get_width(surface) / 2);
  int height = std::max(1, cairo_image_surface_get_height(surface) / 2);
  SurfacePtr half(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height),
                  cairo_surface_destroy);
  cairo_t* cr = cairo_create(half.get());
  cairo_scale(cr, 0.5, 0.5);
  cairo_set_source_surface(cr, surface, 0, 0);
  // At exactly half the size a bilinear sample falls between four pixels: their mean.
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
  return half;
}

// The screen `width` pixels wide (never wider than it is), its height in proportion; nothing
// when the screen has no pixels.
SurfacePtr screenThumbnail(cairo_surface_t* screen, int width) {
  if (!screen || cairo_surface_status(screen) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_get_type(screen) != CAIRO_SURFACE_TYPE_IMAGE || width < 1) {
    return none();
  }
  int fullWidth = cairo_image_surface_get_width(screen);
  int fullHeight = cairo_image_surface_get_height(screen);
  if (fullWidth < 1 || fullHeight < 1) return none();
  double scale = std::min(1.0, static_cast<double>(width) / fullWidth);
  int height = std::max(1, static_cast<int>(std::lround(fullHeight * scale)));
  int thumbnailWidth = std::max(1, static_cast<int>(std::lround(fullWidth * scale)));
  // Halved while it is over twice the size, so that the last step takes less than half.
  cairo_surface_t* source = screen;
  SurfacePtr smaller = none();
  while (cairo_image_surface_get_width(source) >= 2 * thumbnailWidth + 2) {
    smaller = halved(source);
    source = smaller.get();
  }
  double last = static_cast<double>(thumbnailWidth) / cairo_image_surface_get_width(source);
  SurfacePtr thumbnail(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, thumbnailWidth, height),
                       cairo_surface_destroy);
  cairo_t* cr = cairo_create(thumbnail.get());
  cairo_scale(cr, last, last);
  cairo_set_source_surface(cr, source, 0, 0);
  // Scaled by more than a half, a bilinear sample's four pixels reach every pixel of the source:
  // as readable as a box filter, at a fifth of its cost.
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
  cairo_paint(cr);
  cairo_destroy(cr);
  return thumbnail;
}
}  // namespace

bool writeScreenThumbnail(cairo_surface_t* screen, int width, const std::string& realPath,
                          std::string* reason) {
  SurfacePtr thumbnail = screenThumbnail(screen, width);
  std::vector<uint8_t> jpeg;
  if (thumbnail) {
    // Over white, as the page shows a screen: a JPEG has no transparency.
    cairo_t* cr = cairo_create(thumbnail.get());
    cairo_set_operator(cr, CAIRO_OPERATOR_DEST_OVER);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(thumbnail.get());
    jpeg = encodeJPEG(cairo_image_surface_get_data(thumbnail.get()),
                      cairo_image_surface_get_width(thumbnail.get()),
                      cairo_image_surface_get_height(thumbnail.get()),
                      cairo_image_surface_get_stride(thumbnail.get()), kThumbnailQuality, true);
  }
  if (jpeg.empty()) {
    if (reason) *reason = "there is no picture to scale down";
    return false;
  }
  return writeRealFileWhole(realPath, jpeg, reason);
}

}  // namespace standin
