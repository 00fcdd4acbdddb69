#include "SimCompare.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <vector>

#include "SimPNGRows.h"
#include "foundation/PropertyList.h"
#include "screens/ScreenPNG.h"

namespace simulator {

namespace {
using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

// References come from anyone: bounded in bytes (pictures by SimPNGRows.h), and never waited on
// (a FIFO).
constexpr std::size_t kMostTreeBytes = 16 * 1024 * 1024;

struct PNGReading {
  const std::vector<uint8_t>* bytes;
  std::size_t offset = 0;
};

cairo_status_t readPNGBytes(void* closure, unsigned char* data, unsigned int length) {
  auto* reading = static_cast<PNGReading*>(closure);
  if (reading->bytes->size() - reading->offset < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, reading->bytes->data() + reading->offset, length);
  reading->offset += length;
  return CAIRO_STATUS_SUCCESS;
}

uint32_t bigEndian(const std::vector<uint8_t>& bytes, std::size_t at) {
  return static_cast<uint32_t>(bytes[at]) << 24 | static_cast<uint32_t>(bytes[at + 1]) << 16 |
         static_cast<uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

// Whole or not at all, as every picture the simulator writes.
bool writeSurfacePNG(cairo_surface_t* surface, const std::string& path) {
  std::vector<uint8_t> png;
  return standin::encodeScreenPNG(surface, &png) && writeRealFileWhole(path, png);
}

// Nothing with the reason when the file cannot be read, is too large, or is no PNG.
Surface loadPNG(const std::string& path, std::string* reason) {
  Surface none(nullptr, cairo_surface_destroy);
  auto bytes = readRealFile(path, reason, kMostPictureBytes);
  if (!bytes) return none;
  // The header's width and height, checked before cairo allocates for them.
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (bytes->size() < 24 || std::memcmp(bytes->data(), kSignature, 8) != 0) {
    *reason = "is not a PNG picture";
    return none;
  }
  if (static_cast<uint64_t>(bigEndian(*bytes, 16)) * bigEndian(*bytes, 20) > kMostPixels) {
    *reason = "has more than " + std::to_string(kMostPixels) + " pixels";
    return none;
  }
  PNGReading reading{&*bytes};
  Surface surface(cairo_image_surface_create_from_png_stream(readPNGBytes, &reading),
                  cairo_surface_destroy);
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
    *reason = "is not a PNG picture";
    return none;
  }
  cairo_surface_flush(surface.get());
  return surface;
}

bool readFile(const std::string& path, std::string* text, std::string* reason) {
  auto bytes = readRealFile(path, reason, kMostTreeBytes);
  if (!bytes) return false;
  text->assign(bytes->begin(), bytes->end());
  return true;
}

struct Lab {
  double l, a, b;
};

// A premultiplied ARGB pixel, seen over white, in CIE L*a*b*.
Lab toLab(uint32_t pixel) {
  static const std::array<double, 256> linear = [] {
    std::array<double, 256> table{};
    for (int i = 0; i < 256; ++i) {
      double c = i / 255.0;
      table[i] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    }
    return table;
  }();
  int alpha = pixel >> 24;
  // A channel above its alpha is no premultiplied colour: taken as white, not read past the table.
  auto channel = [&](int shift) {
    return std::min(255, static_cast<int>((pixel >> shift) & 0xff) + 255 - alpha);
  };
  double r = linear[channel(16)], g = linear[channel(8)], b = linear[channel(0)];
  double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
  double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
  double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
  auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116.0; };
  double fx = f(x), fy = f(y), fz = f(z);
  return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

double deltaE(uint32_t first, uint32_t second) {
  if (first == second) return 0;
  Lab p = toLab(first), q = toLab(second);
  return std::sqrt((p.l - q.l) * (p.l - q.l) + (p.a - q.a) * (p.a - q.a) +
                   (p.b - q.b) * (p.b - q.b));
}

uint32_t pixelAt(cairo_surface_t* surface, int x, int y) {
  const unsigned char* row =
      cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
  return reinterpret_cast<const uint32_t*>(row)[x];
}

// The reference faded to a quarter of its strength over white, and the differing pixels red.
bool writeDiff(cairo_surface_t* actual, cairo_surface_t* expected, const CompareOptions& options,
               const std::string& path) {
  int width = cairo_image_surface_get_width(expected);
  int height = cairo_image_surface_get_height(expected);
  Surface diff(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height),
               cairo_surface_destroy);
  cairo_surface_flush(diff.get());
  for (int y = 0; y < height; ++y) {
    auto* out = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(diff.get()) +
                                            y * cairo_image_surface_get_stride(diff.get()));
    for (int x = 0; x < width; ++x) {
      uint32_t was = pixelAt(expected, x, y);
      if (deltaE(pixelAt(actual, x, y), was) > options.tolerance) {
        out[x] = 0xFFFF0000u;
        continue;
      }
      auto grey = static_cast<uint32_t>(255 - (100 - std::fmin(toLab(was).l, 100.0)) * 0.64);
      out[x] = 0xFF000000u | grey << 16 | grey << 8 | grey;
    }
  }
  cairo_surface_mark_dirty(diff.get());
  return writeSurfacePNG(diff.get(), path);
}

// The first line where two texts differ, for the report.
std::string firstDifference(const std::string& actual, const std::string& expected) {
  std::istringstream a(actual), e(expected);
  std::string lineA, lineE;
  for (int number = 1;; ++number) {
    bool moreA = static_cast<bool>(std::getline(a, lineA));
    bool moreE = static_cast<bool>(std::getline(e, lineE));
    if (!moreA && !moreE) return "";
    if (!moreA || !moreE || lineA != lineE) {
      auto trim = [](std::string s) {
        s.erase(0, s.find_first_not_of(' '));
        return s.size() > 80 ? s.substr(0, 80) + "..." : s;
      };
      return "view tree differs at line " + std::to_string(number) + ": " +
             (moreA ? trim(lineA) : "(end)") + " instead of " + (moreE ? trim(lineE) : "(end)");
    }
  }
}
}  // namespace

Comparison compareShot(const std::string& stem, const std::string& reference,
                       const CompareOptions& options, const std::string& diffPath) {
  Comparison result;
  std::string why;
  Surface expected = loadPNG(reference + ".png", &why);
  if (!expected) {
    result.reason = "the reference picture " + reference + ".png " + why;
    return result;
  }
  Surface actual = loadPNG(stem + ".png", &why);
  if (!actual) {
    result.reason = "the screen " + stem + ".png " + why;
    return result;
  }
  int width = cairo_image_surface_get_width(actual.get());
  int height = cairo_image_surface_get_height(actual.get());
  if (width != cairo_image_surface_get_width(expected.get()) ||
      height != cairo_image_surface_get_height(expected.get())) {
    result.reason = "the screen is " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels, its reference " +
                    std::to_string(cairo_image_surface_get_width(expected.get())) + " x " +
                    std::to_string(cairo_image_surface_get_height(expected.get()));
    return result;
  }

  long differing = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      differing +=
          deltaE(pixelAt(actual.get(), x, y), pixelAt(expected.get(), x, y)) > options.tolerance;
    }
  }
  double share = static_cast<double>(differing) / (static_cast<double>(width) * height);

  std::string actualTree, expectedTree;
  if (!readFile(reference + ".json", &expectedTree, &why)) {
    result.reason = "the reference view tree " + reference + ".json " + why;
  } else if (!readFile(stem + ".json", &actualTree, &why)) {
    result.reason = "the view tree " + stem + ".json " + why;
  } else if (actualTree != expectedTree) {
    result.reason = firstDifference(actualTree, expectedTree);
  }
  if (share > options.maxDifferingShare) {
    char text[160];
    std::snprintf(text, sizeof text, "%ld pixels differ (%.3f%% of the screen, %.3f%% allowed)",
                  differing, share * 100, options.maxDifferingShare * 100);
    result.reason = result.reason.empty() ? text : std::string(text) + "; " + result.reason;
  }
  if (differing > 0 && !result.reason.empty()) {
    result.diffWritten = writeDiff(actual.get(), expected.get(), options, diffPath);
  }
  result.same = result.reason.empty();
  return result;
}

std::vector<ScreenRegion> changedRegions(const std::string& firstPNG, const std::string& secondPNG,
                                         double tolerance, int cell) {
  PNGRows first(firstPNG), second(secondPNG);
  int width = first.width(), height = first.height();
  if (!first.ok() || !second.ok() || cell < 1 || width != second.width() ||
      height != second.height()) {
    return {};
  }
  int columns = (width + cell - 1) / cell, rows = (height + cell - 1) / cell;
  std::vector<char> marked(static_cast<std::size_t>(columns) * rows, 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t* a = first.nextRow();
    const uint8_t* b = second.nextRow();
    if (!a || !b) return {};
    // Most rows of a screen and its twin are alike: one comparison passes them.
    if (std::memcmp(a, b, static_cast<std::size_t>(width) * 4) == 0) continue;
    for (int x = 0; x < width; ++x, a += 4, b += 4) {
      char& at = marked[static_cast<std::size_t>(y / cell) * columns + x / cell];
      if (!at && std::memcmp(a, b, 4) != 0 &&
          deltaE(premultipliedPixel(a), premultipliedPixel(b)) > tolerance) {
        at = 1;
      }
    }
  }
  // Cells that touch, corners and a one-cell gap included, make one box.
  std::vector<ScreenRegion> regions;
  std::vector<char> seen(marked.size(), 0);
  for (int start = 0; start < columns * rows; ++start) {
    if (!marked[start] || seen[start]) continue;
    int left = start % columns, right = left, top = start / columns, bottom = top;
    std::vector<int> open = {start};
    seen[start] = 1;
    while (!open.empty()) {
      int at = open.back();
      open.pop_back();
      int cx = at % columns, cy = at / columns;
      left = std::min(left, cx), right = std::max(right, cx);
      top = std::min(top, cy), bottom = std::max(bottom, cy);
      for (int ny = std::max(0, cy - 2); ny <= std::min(rows - 1, cy + 2); ++ny) {
        for (int nx = std::max(0, cx - 2); nx <= std::min(columns - 1, cx + 2); ++nx) {
          int next = ny * columns + nx;
          if (marked[next] && !seen[next]) {
            seen[next] = 1;
            open.push_back(next);
          }
        }
      }
    }
    double x0 = left * cell, y0 = top * cell;
    double x1 = std::min(width, (right + 1) * cell), y1 = std::min(height, (bottom + 1) * cell);
    regions.push_back({x0 / width, y0 / height, (x1 - x0) / width, (y1 - y0) / height});
  }
  return regions;
}

}  // namespace simulator
