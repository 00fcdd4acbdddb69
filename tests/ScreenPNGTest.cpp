// Screens written for speed show what cairo's own PNG writer shows, pixel for pixel.
#include <cairo.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <memory>
#include <vector>

#include "screens/ScreenPNG.h"

namespace {
using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

std::vector<uint8_t> cairoPNG(cairo_surface_t* surface) {
  std::vector<uint8_t> png;
  auto append = [](void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
  };
  EXPECT_EQ(cairo_surface_write_to_png_stream(surface, append, &png), CAIRO_STATUS_SUCCESS);
  return png;
}

// The straight pixels a PNG holds, as they are in the file.
std::vector<uint8_t> pixelsOf(const std::vector<uint8_t>& png) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return {};
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  return pixels;
}
}  // namespace

TEST(ScreenPNG, ShowsWhatCairosWriterShowsAtEveryAlpha) {
  // Every alpha from clear to opaque, over a run of colours: the unpremultiplying rounds as
  // cairo's does, a clear pixel is all zero.
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 256, 64), cairo_surface_destroy);
  cairo_t* cr = cairo_create(surface.get());
  for (int x = 0; x < 256; ++x) {
    cairo_set_source_rgba(cr, (x % 7) / 6.0, (x % 13) / 12.0, 1 - x / 255.0, x / 255.0);
    cairo_rectangle(cr, x, 0, 1, 32);
    cairo_fill(cr);
  }
  cairo_set_source_rgba(cr, 0.2, 0.5, 0.9, 0.37);
  cairo_arc(cr, 128, 40, 30, 0, 6.3);
  cairo_fill(cr);
  cairo_destroy(cr);

  std::vector<uint8_t> fast;
  ASSERT_TRUE(standin::encodeScreenPNG(surface.get(), &fast));
  std::vector<uint8_t> expected = pixelsOf(cairoPNG(surface.get()));
  ASSERT_EQ(expected.size(), 256u * 64 * 4);
  EXPECT_EQ(pixelsOf(fast), expected);

  EXPECT_FALSE(standin::encodeScreenPNG(nullptr, &fast));
  EXPECT_TRUE(fast.empty());
}

TEST(ScreenPNG, AnOpaqueScreenLeavesOutItsAlphaAndShowsTheSame) {
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 97, 31), cairo_surface_destroy);
  cairo_t* cr = cairo_create(surface.get());
  cairo_set_source_rgb(cr, 0.1, 0.6, 0.3);
  cairo_paint(cr);
  cairo_set_source_rgb(cr, 0.9, 0.2, 0.7);
  cairo_arc(cr, 48, 15, 12, 0, 6.3);
  cairo_fill(cr);
  cairo_destroy(cr);
  std::vector<uint8_t> fast;
  ASSERT_TRUE(standin::encodeScreenPNG(surface.get(), &fast));
  ASSERT_GT(fast.size(), 26u);
  EXPECT_EQ(fast[25], PNG_COLOR_TYPE_RGB);  // the header's colour type
  EXPECT_EQ(pixelsOf(fast), pixelsOf(cairoPNG(surface.get())));

  // One pixel short of opaque keeps the alpha of the whole picture.
  cairo_surface_flush(surface.get());
  cairo_image_surface_get_data(surface.get())[3] = 0xfe;
  cairo_surface_mark_dirty(surface.get());
  ASSERT_TRUE(standin::encodeScreenPNG(surface.get(), &fast));
  EXPECT_EQ(fast[25], PNG_COLOR_TYPE_RGB_ALPHA);
  EXPECT_EQ(pixelsOf(fast), pixelsOf(cairoPNG(surface.get())));
}
