// PNG (libpng) and JPEG (libjpeg-turbo) decoding into premultiplied ARGB. The declared size is
// checked against the limits before a single pixel is allocated, so a small file that claims a
// huge picture costs nothing.
#include <cairo.h>
#include <jerror.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

// jpeglib.h needs size_t and FILE first.
#include <jpeglib.h>

#include "coregraphics/CoreGraphics.h"
#include "coregraphics/JPEGErrors.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "ARGB32 pixels are read as B, G, R, A bytes");

namespace {
bool withinLimits(uint64_t width, uint64_t height) {
  return width > 0 && height > 0 && width <= kCGImageMaxDimension &&
         height <= kCGImageMaxDimension && width * height <= kCGImageMaxPixels;
}

cairo_surface_t* newSurface(uint32_t width, uint32_t height) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width),
                                                  static_cast<int>(height));
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  cairo_surface_flush(s);
  return s;
}
}  // namespace

CGImageRef CGImageCreateWithPNGData(const uint8_t* bytes, size_t length) {
  if (!bytes || length < 8 || png_sig_cmp(bytes, 0, 8) != 0) return nullptr;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes, length)) return nullptr;
  if (!withinLimits(image.width, image.height)) {
    png_image_free(&image);
    return nullptr;
  }
  image.format = PNG_FORMAT_BGRA;
  cairo_surface_t* s = newSurface(image.width, image.height);
  if (!s) {
    png_image_free(&image);
    return nullptr;
  }
  uint8_t* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  if (!png_image_finish_read(&image, nullptr, data, stride, nullptr)) {
    png_image_free(&image);
    cairo_surface_destroy(s);
    return nullptr;
  }
  for (uint32_t y = 0; y < image.height; ++y) {
    uint8_t* p = data + size_t(y) * stride;
    for (uint32_t x = 0; x < image.width; ++x, p += 4) {
      unsigned a = p[3];
      if (a == 255) continue;
      for (int k = 0; k < 3; ++k) p[k] = static_cast<uint8_t>((p[k] * a + 127) / 255);
    }
  }
  cairo_surface_mark_dirty(s);
  return CGImageCreateWithSurface(s);
}

namespace {
using standin::JpegError;
using standin::jpegFail;

void jpegMessage(j_common_ptr cinfo, int level) {
  // A picture cut short would otherwise come out padded with grey: refuse it instead, whether the
  // bytes simply end or a marker (the end-of-image one, say) comes before the data does.
  int code = cinfo->err->msg_code;
  if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER)) jpegFail(cinfo);
}

// The smallest scaling M/8 whose output still covers width x height; the full size when none
// does. 0 x 0 asks for the full size.
void scaleToCover(jpeg_decompress_struct* cinfo, size_t width, size_t height) {
  if (width == 0 || height == 0) return;
  cinfo->scale_denom = 8;
  for (unsigned m = 1; m <= 8; ++m) {
    cinfo->scale_num = m;
    jpeg_calc_output_dimensions(cinfo);
    if (cinfo->output_width >= width && cinfo->output_height >= height) return;
  }
}

// Progressive pictures with thousands of scans cost time out of all proportion to their size.
void jpegProgress(j_common_ptr cinfo) {
  if (cinfo->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > 256) {
    jpegFail(cinfo);
  }
}

// Only plain data lives in this frame, so that leaving it by longjmp skips no destructor.
cairo_surface_t* decodeJpeg(const uint8_t* bytes, size_t length, size_t coverWidth,
                            size_t coverHeight) {
  jpeg_decompress_struct cinfo;
  JpegError error;
  jpeg_progress_mgr progress;
  cairo_surface_t* volatile surface = nullptr;
  cinfo.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = jpegFail;
  error.manager.emit_message = jpegMessage;
  if (setjmp(error.escape)) {
    jpeg_destroy_decompress(&cinfo);
    if (surface) cairo_surface_destroy(surface);
    return nullptr;
  }
  jpeg_create_decompress(&cinfo);
  progress.progress_monitor = jpegProgress;
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, bytes, static_cast<unsigned long>(length));
  jpeg_read_header(&cinfo, TRUE);
  if (!withinLimits(cinfo.image_width, cinfo.image_height)) {
    jpeg_destroy_decompress(&cinfo);
    return nullptr;
  }
  cinfo.out_color_space = JCS_EXT_BGRA;
  scaleToCover(&cinfo, coverWidth, coverHeight);
  jpeg_start_decompress(&cinfo);
  surface = newSurface(cinfo.output_width, cinfo.output_height);
  if (!surface) {
    jpeg_destroy_decompress(&cinfo);
    return nullptr;
  }
  uint8_t* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = data + size_t(cinfo.output_scanline) * stride;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  cairo_surface_t* done = surface;
  cairo_surface_mark_dirty(done);
  return done;
}
}  // namespace

namespace {
CGImageRef createWithJPEGData(const uint8_t* bytes, size_t length, size_t coverWidth,
                              size_t coverHeight) {
  if (!bytes || length < 3 || bytes[0] != 0xFF || bytes[1] != 0xD8 || bytes[2] != 0xFF) {
    return nullptr;
  }
  cairo_surface_t* s = decodeJpeg(bytes, length, coverWidth, coverHeight);
  return s ? CGImageCreateWithSurface(s) : nullptr;
}
}  // namespace

CGImageRef CGImageCreateWithJPEGData(const uint8_t* bytes, size_t length) {
  return createWithJPEGData(bytes, length, 0, 0);
}

CGImageRef CGImageCreateWithEncodedData(const uint8_t* bytes, size_t length) {
  return CGImageCreateWithEncodedDataCovering(bytes, length, 0, 0);
}

CGImageRef CGImageCreateWithEncodedDataCovering(const uint8_t* bytes, size_t length, size_t width,
                                                size_t height) {
  if (!bytes || length < 3) return nullptr;
  if (bytes[0] == 0xFF && bytes[1] == 0xD8) return createWithJPEGData(bytes, length, width, height);
  return CGImageCreateWithPNGData(bytes, length);
}
