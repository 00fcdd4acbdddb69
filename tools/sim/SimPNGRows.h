// A PNG picture read one row at a time, so that two screens are compared without holding either
// whole: a screen of the 6 Plus is 11 MB of pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace simulator {

// Screens and references come from folders anyone may have touched: a picture is read only up to
// these sizes.
constexpr std::size_t kMostPictureBytes = 64 * 1024 * 1024;
constexpr uint64_t kMostPixels = 64 * 1024 * 1024;

class PNGRows {
 public:
  // Reads the file's header; `ok()` tells whether rows can be read.
  explicit PNGRows(const std::string& path);
  ~PNGRows();
  PNGRows(const PNGRows&) = delete;
  PNGRows& operator=(const PNGRows&) = delete;

  bool ok() const { return ok_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // The next row as straight RGBA, four bytes a pixel; nothing past the last row or when the
  // picture is damaged (and `ok()` is false from then on).
  const uint8_t* nextRow();

 private:
  struct Reader;
  std::unique_ptr<Reader> reader_;
  std::vector<uint8_t> row_;
  int width_ = 0, height_ = 0, rowsRead_ = 0;
  bool ok_ = false;
};

// A straight RGBA pixel premultiplied as cairo premultiplies it, as cairo's own loader would
// have given it.
uint32_t premultipliedPixel(const uint8_t* rgba);

}  // namespace simulator
