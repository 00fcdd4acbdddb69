// Contact pictures: the first picture of a contact with a JPEG thumbnail against the same steps
// done bare (one SQLite read of the blob, one libjpeg-turbo decode, one cairo draw into 80 x 80),
// and prepareImageCache over generated books of 1,000, 10,000 and 100,000 contacts, in pictures
// per second.
// The system's log lines go to /dev/null while it runs.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <fcntl.h>
#include <jpeglib.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "QuietBenchmarkMain.h"
#include "SampleDevice.h"
#include "TALCBSettings.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+Preload.h"
#include "TalvoCBUtils+Retrieval.h"
#include "uikit/UIFont.h"

namespace {

constexpr int32_t kJohn = 1;  // the hand-picked book's contact with a 120 x 120 JPEG thumbnail

std::string temporaryFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "talvocb-bench-XXXXXX").string();
  return ::mkdtemp(pattern.data());
}

// A device with the hand-picked book, or a generated one, entered for this process.
struct BenchDevice {
  explicit BenchDevice(std::optional<int> contacts) : root(temporaryFolder()) {
    sample::SampleOptions options;
    options.contacts = contacts;
    std::string error;
    sample::writeSampleDevice(root, options, nullptr, &error);
    standin::setDeviceRoot(root);
    auto settings = TALCBSettings::sharedSettings();
    settings->setIsRoundedPicsEnabled(true);
    settings->setIsMonogramEnabled(true);
  }
  ~BenchDevice() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
  std::string root;
};

void BM_FirstPictureOfAJPEGContact(benchmark::State& state) {
  BenchDevice device(std::nullopt);
  auto font = UIFont::systemFontOfSize(17);
  for (auto _ : state) {
    state.PauseTiming();
    TalvoCBUtils::clearImageCache();
    state.ResumeTiming();
    benchmark::DoNotOptimize(
        TalvoCBUtils::getContactImageOnly(kJohn, std::string("JA"), false, {60, 60}, font));
  }
}
BENCHMARK(BM_FirstPictureOfAJPEGContact);

// The same work without the library: read, decode, draw clipped to the circle.
void BM_BareReadDecodeDraw(benchmark::State& state) {
  BenchDevice device(std::nullopt);
  std::string store =
      device.root + "/private/var/mobile/Library/AddressBook/AddressBookImages.sqlitedb";
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT data FROM ABThumbnailImage WHERE RECORD_ID=? AND FORMAT=0 AND DATA "
                       "IS NOT NULL",
                       -1, &statement, nullptr);
    sqlite3_bind_int(statement, 1, kJohn);
    sqlite3_step(statement);
    auto* blob = static_cast<const uint8_t*>(sqlite3_column_blob(statement, 0));
    std::vector<uint8_t> bytes(blob, blob + sqlite3_column_bytes(statement, 0));
    sqlite3_finalize(statement);
    sqlite3_close(db);

    jpeg_decompress_struct jpeg{};
    jpeg_error_mgr errors{};
    jpeg.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&jpeg);
    jpeg_mem_src(&jpeg, bytes.data(), bytes.size());
    jpeg_read_header(&jpeg, TRUE);
    jpeg.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&jpeg);
    int width = static_cast<int>(jpeg.output_width), height = static_cast<int>(jpeg.output_height);
    int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
    std::vector<uint8_t> pixels(static_cast<std::size_t>(stride) * height);
    while (jpeg.output_scanline < jpeg.output_height) {
      JSAMPROW row = pixels.data() + static_cast<std::size_t>(jpeg.output_scanline) * stride;
      jpeg_read_scanlines(&jpeg, &row, 1);
    }
    jpeg_finish_decompress(&jpeg);
    jpeg_destroy_decompress(&jpeg);

    cairo_surface_t* photo = cairo_image_surface_create_for_data(pixels.data(), CAIRO_FORMAT_ARGB32,
                                                                 width, height, stride);
    cairo_surface_t* canvas = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 80, 80);
    cairo_t* cr = cairo_create(canvas);
    cairo_arc(cr, 40, 40, 40, 0, 2 * M_PI);
    cairo_clip(cr);
    cairo_scale(cr, 80.0 / width, 80.0 / height);
    cairo_set_source_surface(cr, photo, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(canvas);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(canvas));
    cairo_surface_destroy(canvas);
    cairo_surface_destroy(photo);
  }
}
BENCHMARK(BM_BareReadDecodeDraw);

void BM_PrepareImageCache(benchmark::State& state) {
  BenchDevice device(static_cast<int>(state.range(0)));
  sqlite3* db = nullptr;
  sqlite3_open_v2(
      (device.root + "/private/var/mobile/Library/AddressBook/AddressBookImages.sqlitedb").c_str(),
      &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT count(*) FROM ABThumbnailImage WHERE FORMAT=0 AND DATA IS NOT NULL",
                     -1, &statement, nullptr);
  sqlite3_step(statement);
  const auto thumbnails = static_cast<std::size_t>(sqlite3_column_int(statement, 0));
  sqlite3_finalize(statement);
  sqlite3_close(db);
  std::size_t pictures = 0;
  for (auto _ : state) {
    TalvoCBUtils::prepareImageCache();
    pictures += thumbnails;
  }
  state.counters["thumbnails"] = static_cast<double>(thumbnails);
  state.counters["pictures/s"] =
      benchmark::Counter(static_cast<double>(pictures), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PrepareImageCache)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

QUIET_BENCHMARK_MAIN()
