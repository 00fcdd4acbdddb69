#include "coregraphics/JPEGEncoding.h"

#include <csetjmp>
#include <cstdlib>

#include "coregraphics/JPEGErrors.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "native-order ARGB words are B, G, R, A bytes");

namespace {
using standin::JpegError;
using standin::jpegFail;

// Only plain data lives in this frame, so that leaving it by longjmp skips no destructor; the
// bytes are libjpeg's buffer, freed by the caller.
unsigned char* compress(const uint8_t* pixels, int width, int height, int stride, int quality,
                        bool fullColour, unsigned long* size) {
  jpeg_compress_struct info;
  JpegError error;
  unsigned char* volatile buffer = nullptr;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = jpegFail;
  if (setjmp(error.escape)) {
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return nullptr;
  }
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  jpeg_mem_dest(&info, &out, size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 4;
  info.in_color_space = JCS_EXT_BGRA;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (fullColour) info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(pixels + static_cast<size_t>(info.next_scanline) * stride);
    jpeg_write_scanlines(&info, &row, 1);
    buffer = out;
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return out;
}
}  // namespace

namespace standin {

std::vector<uint8_t> encodeJPEG(const uint8_t* pixels, int width, int height, int stride,
                                int quality, bool fullColour) {
  if (!pixels || width < 1 || height < 1 || stride < width * 4) return {};
  unsigned long size = 0;
  unsigned char* bytes = compress(pixels, width, height, stride, quality, fullColour, &size);
  if (!bytes) return {};
  std::vector<uint8_t> out(bytes, bytes + size);
  std::free(bytes);
  return out;
}

}  // namespace standin
