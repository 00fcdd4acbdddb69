#include "screens/ScreenPNG.h"

#include <cairo.h>
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>

#include "foundation/PropertyList.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "ARGB32 pixels are read as B, G, R, A bytes");

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

[[noreturn]] void failed(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}

void noWarnings(png_structp, png_const_charp) {}

// One row of premultiplied ARGB as straight RGBA, rounded as cairo's PNG writer rounds it.
void straightRow(const uint8_t* from, int width, uint8_t* to) {
  for (int x = 0; x < width; ++x, from += 4, to += 4) {
    uint32_t pixel;
    std::memcpy(&pixel, from, sizeof pixel);
    uint32_t alpha = pixel >> 24;
    if (alpha == 0) {
      std::memset(to, 0, 4);
      continue;
    }
    if (alpha == 255) {
      to[0] = static_cast<uint8_t>(pixel >> 16);
      to[1] = static_cast<uint8_t>(pixel >> 8);
      to[2] = static_cast<uint8_t>(pixel);
      to[3] = 255;
      continue;
    }
    auto straight = [alpha](uint32_t channel) {
      return static_cast<uint8_t>((channel * 255 + alpha / 2) / alpha);
    };
    to[0] = straight((pixel >> 16) & 0xff);
    to[1] = straight((pixel >> 8) & 0xff);
    to[2] = straight(pixel & 0xff);
    to[3] = static_cast<uint8_t>(alpha);
  }
}

// Whether every pixel is opaque: such a screen is written without its alpha, a quarter fewer
// bytes to compress and to read back.
bool opaque(const uint8_t* pixels, int width, int height, int stride) {
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
    uint32_t all = 0xff000000u;
    for (int x = 0; x < width; ++x) {
      uint32_t pixel;
      std::memcpy(&pixel, row + 4 * x, sizeof pixel);
      all &= pixel;
    }
    if ((all & 0xff000000u) != 0xff000000u) return false;
  }
  return true;
}

// One row of opaque ARGB as RGB.
void opaqueRow(const uint8_t* from, int width, uint8_t* to) {
  for (int x = 0; x < width; ++x, from += 4, to += 3) {
    to[0] = from[2];
    to[1] = from[1];
    to[2] = from[0];
  }
}

// Kept out of encodeScreenPNG, whose locals would not survive libpng's longjmp.
bool encodeRows(png_structp png, png_infop info, cairo_surface_t* surface,
                std::vector<uint8_t>* out, std::vector<uint8_t>& row) {
  if (setjmp(png_jmpbuf(png))) return false;
  int width = cairo_image_surface_get_width(surface);
  int height = cairo_image_surface_get_height(surface);
  int stride = cairo_image_surface_get_stride(surface);
  const uint8_t* pixels = cairo_image_surface_get_data(surface);
  png_set_write_fn(png, out, appendBytes, flushNothing);
  // Screens are wide runs of one colour, which zlib's fastest level finds in the pixels as they
  // are: unfiltered rows come out smaller than filtered ones, and are quicker to write and read.
  png_set_compression_level(png, Z_BEST_SPEED);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  bool withoutAlpha = opaque(pixels, width, height, stride);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               withoutAlpha ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color_16 white{};
  white.red = white.green = white.blue = white.gray = 255;
  png_set_bKGD(png, info, &white);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    const uint8_t* from = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
    withoutAlpha ? opaqueRow(from, width, row.data()) : straightRow(from, width, row.data());
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  return true;
}

void appendCairoBytes(std::vector<uint8_t>* out, const unsigned char* data, unsigned int length) {
  out->insert(out->end(), data, data + length);
}

}  // namespace

namespace standin {

bool encodeScreenPNG(cairo_surface_t* surface, std::vector<uint8_t>* png) {
  png->clear();
  if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) {
    return false;
  }
  cairo_surface_flush(surface);
  int width = cairo_image_surface_get_width(surface);
  int height = cairo_image_surface_get_height(surface);
  if (cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32 || width <= 0 || height <= 0) {
    // Pictures of other kinds are rare here: cairo's own writer takes them.
    auto append = [](void* closure, const unsigned char* data, unsigned int length) {
      appendCairoBytes(static_cast<std::vector<uint8_t>*>(closure), data, length);
      return CAIRO_STATUS_SUCCESS;
    };
    return cairo_surface_write_to_png_stream(surface, append, png) == CAIRO_STATUS_SUCCESS;
  }
  png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, failed, noWarnings);
  if (!writer) return false;
  png_infop info = png_create_info_struct(writer);
  std::vector<uint8_t> row(static_cast<std::size_t>(width) * 4);
  bool ok = info && encodeRows(writer, info, surface, png, row);
  png_destroy_write_struct(&writer, info ? &info : nullptr);
  if (!ok) png->clear();
  return ok;
}

bool writeScreenPNG(const UIImagePtr& image, const std::string& realPath, std::string* reason) {
  std::vector<uint8_t> png;
  if (!image || !image->CGImage() || !encodeScreenPNG(CGImageGetSurface(image->CGImage()), &png)) {
    if (reason) *reason = "there is no picture to write";
    return false;
  }
  return writeRealFileWhole(realPath, png, reason);
}

}  // namespace standin
