#include "SimPNGRows.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

#include "foundation/PropertyList.h"

namespace simulator {

namespace {
[[noreturn]] void failed(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}

void noWarnings(png_structp, png_const_charp) {}

}  // namespace

uint32_t premultipliedPixel(const uint8_t* rgba) {
  uint32_t alpha = rgba[3];
  if (alpha == 255) return 0xff000000u | rgba[0] << 16 | rgba[1] << 8 | rgba[2];
  auto times = [alpha](uint32_t channel) {
    uint32_t t = channel * alpha + 0x80;
    return ((t >> 8) + t) >> 8;
  };
  return alpha << 24 | times(rgba[0]) << 16 | times(rgba[1]) << 8 | times(rgba[2]);
}

struct PNGRows::Reader {
  std::vector<uint8_t> bytes;
  std::size_t offset = 0;
  png_structp png = nullptr;
  png_infop info = nullptr;

  ~Reader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }

  static void read(png_structp png, png_bytep data, png_size_t length) {
    auto* reader = static_cast<Reader*>(png_get_io_ptr(png));
    if (reader->bytes.size() - reader->offset < length) png_error(png, "the file ends early");
    std::memcpy(data, reader->bytes.data() + reader->offset, length);
    reader->offset += length;
  }

  // Kept apart from the constructor, whose locals would not survive libpng's longjmp.
  bool readHeader(int* width, int* height) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, this, read);
    // The checksums of the compressed rows are left unchecked: a damaged stream still fails to
    // inflate, and this reading only marks where twins differ. Half of inflating is the checksum.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    png_read_info(png, info);
    png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    if (w == 0 || h == 0 || static_cast<uint64_t>(w) * h > kMostPixels) return false;
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    // An interlaced picture comes in passes, not rows; the simulator writes none.
    if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) return false;
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<std::size_t>(w) * 4) return false;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
  }

  bool readRow(uint8_t* row) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_row(png, row, nullptr);
    return true;
  }
};

PNGRows::PNGRows(const std::string& path) : reader_(std::make_unique<Reader>()) {
  std::string reason;
  auto bytes = readRealFile(path, &reason, kMostPictureBytes);
  if (!bytes || bytes->size() < 8 || png_sig_cmp(bytes->data(), 0, 8) != 0) return;
  reader_->bytes = std::move(*bytes);
  reader_->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failed, noWarnings);
  if (!reader_->png) return;
  reader_->info = png_create_info_struct(reader_->png);
  if (!reader_->info || !reader_->readHeader(&width_, &height_)) return;
  row_.resize(static_cast<std::size_t>(width_) * 4);
  ok_ = true;
}

PNGRows::~PNGRows() = default;

const uint8_t* PNGRows::nextRow() {
  if (!ok_ || rowsRead_ >= height_) return nullptr;
  if (!reader_->readRow(row_.data())) {
    ok_ = false;
    return nullptr;
  }
  ++rowsRead_;
  return row_.data();
}

}  // namespace simulator
