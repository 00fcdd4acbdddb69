#include "SamplePictures.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "coregraphics/JPEGEncoding.h"

namespace sample {
namespace {

struct Colour {
  double r, g, b;
};

Colour paletteColour(uint32_t index) {
  static const Colour palette[] = {
      {0.91, 0.30, 0.24}, {0.18, 0.55, 0.82}, {0.20, 0.66, 0.33}, {0.95, 0.61, 0.07},
      {0.56, 0.27, 0.68}, {0.10, 0.74, 0.61}, {0.83, 0.33, 0.55}, {0.35, 0.42, 0.48},
  };
  return palette[index % (sizeof palette / sizeof palette[0])];
}

Colour skinColour(uint32_t index) {
  static const Colour skins[] = {
      {0.98, 0.85, 0.73}, {0.93, 0.75, 0.58}, {0.78, 0.57, 0.40},
      {0.55, 0.38, 0.26}, {0.36, 0.24, 0.16},
  };
  return skins[index % (sizeof skins / sizeof skins[0])];
}

void setColour(cairo_t* cr, Colour c) {
  cairo_set_source_rgb(cr, c.r, c.g, c.b);
}

void drawFace(cairo_t* cr, int width, int height, uint32_t variant, bool opaque) {
  if (opaque) {
    setColour(cr, paletteColour(variant));
    cairo_paint(cr);
  }
  double size = std::min(width, height);
  double cx = width / 2.0, cy = height / 2.0, r = size * 0.38;
  // Hair behind the head.
  setColour(cr, Colour{0.15 + 0.1 * (variant % 3), 0.10, 0.05});
  cairo_arc(cr, cx, cy - r * 0.15, r * 1.08, M_PI, 2 * M_PI);
  cairo_fill(cr);
  setColour(cr, skinColour(variant / 3));
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  cairo_fill(cr);
  // Eyes.
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.12);
  for (double side : {-1.0, 1.0}) {
    cairo_arc(cr, cx + side * r * 0.38, cy - r * 0.18, std::max(1.0, r * 0.11), 0, 2 * M_PI);
    cairo_fill(cr);
  }
  // Smile.
  cairo_set_line_width(cr, std::max(1.0, r * 0.08));
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_arc(cr, cx, cy + r * 0.05, r * 0.5, 0.2 * M_PI, 0.8 * M_PI);
  cairo_stroke(cr);
  // Shoulders.
  setColour(cr, paletteColour(variant + 3));
  cairo_arc(cr, cx, cy + r * 2.2, r * 1.3, M_PI, 2 * M_PI);
  cairo_fill(cr);
}

void drawPattern(cairo_t* cr, int width, int height, uint32_t variant) {
  setColour(cr, paletteColour(variant));
  cairo_paint(cr);
  setColour(cr, paletteColour(variant + 1));
  double step = std::max(4.0, std::min(width, height) / 6.0);
  if (variant % 2 == 0) {
    // Checks.
    for (int y = 0; y * step < height; ++y) {
      for (int x = (y % 2); x * step < width; x += 2) {
        cairo_rectangle(cr, x * step, y * step, step, step);
      }
    }
    cairo_fill(cr);
  } else {
    // Diagonal stripes and a ring.
    cairo_set_line_width(cr, step / 2);
    for (double x = -height; x < width + height; x += step) {
      cairo_move_to(cr, x, 0);
      cairo_line_to(cr, x + height, height);
    }
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, std::max(1.0, step / 3));
    cairo_arc(cr, width / 2.0, height / 2.0, std::min(width, height) * 0.3, 0, 2 * M_PI);
    cairo_stroke(cr);
  }
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<uint8_t>*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

const char* formatName(PictureFormat format) {
  return format == PictureFormat::JPEG ? "jpeg" : "png";
}

Picture drawPicture(PictureKind kind, int width, int height, uint32_t variant,
                    PictureFormat format) {
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height), cairo_surface_destroy);
  cairo_t* cr = cairo_create(surface.get());
  bool opaque = format == PictureFormat::JPEG;
  if (kind == PictureKind::Face) {
    drawFace(cr, width, height, variant, opaque);
  } else {
    drawPattern(cr, width, height, variant);
  }
  cairo_destroy(cr);

  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.format = format;
  if (format == PictureFormat::JPEG) {
    cairo_surface_flush(surface.get());
    picture.bytes = standin::encodeJPEG(cairo_image_surface_get_data(surface.get()), width, height,
                                        cairo_image_surface_get_stride(surface.get()), 85);
  } else {
    cairo_surface_write_to_png_stream(surface.get(), appendBytes, &picture.bytes);
  }
  return picture;
}

}  // namespace sample
