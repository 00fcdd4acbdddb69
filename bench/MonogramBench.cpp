// A 40 x 40 monogram at scale 2 through the library against the same disc and text drawn with
// bare cairo and pango.
#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>
#include <stdlib.h>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "EnterBenchDevice.h"
#include "TALCBSettings.h"
#include "TalvoCBUtils+Monograms.h"
#include "foundation/Device.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"

namespace {
void enterDevice() {
  static bool done = [] {
    DeviceProfile profile;
    profile.scale = 2;
    enterBenchDevice(profile);
    auto settings = TALCBSettings::sharedSettings();
    settings->setIsRoundedPicsEnabled(true);
    settings->setIsMonogramEnabled(true);
    return true;
  }();
  (void)done;
}

void BM_LibraryMonogram(benchmark::State& state) {
  enterDevice();
  auto color = UIColor::colorWithRed(0x4b / 255.0, 0x94 / 255.0, 0x84 / 255.0, 1);
  auto font = UIFont::systemFontOfSize(17);
  for (auto _ : state) {
    auto image = TalvoCBUtils::monogramImage(std::string("JS"), CGSizeMake(40, 40), color, font);
    benchmark::DoNotOptimize(image);
  }
}
BENCHMARK(BM_LibraryMonogram);

// Three-letter initials, each drawn once in a while: a picture also measures its text.
const std::vector<std::string>& newInitials() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> made;
    for (char a = 'A'; a <= 'Z'; ++a) {
      for (char b = 'A'; b <= 'Z'; ++b) {
        for (char c : {'a', 'b', 'c', 'd'}) made.push_back({a, b, c});
      }
    }
    return made;
  }();
  return texts;
}

// Initials never drawn before, so every picture also measures its text.
void BM_LibraryMonogramNewInitials(benchmark::State& state) {
  enterDevice();
  auto color = UIColor::colorWithRed(0x4b / 255.0, 0x94 / 255.0, 0x84 / 255.0, 1);
  auto font = UIFont::systemFontOfSize(17);
  const auto& texts = newInitials();
  size_t next = 0;
  for (auto _ : state) {
    auto image =
        TalvoCBUtils::monogramImage(texts[next++ % texts.size()], CGSizeMake(40, 40), color, font);
    benchmark::DoNotOptimize(image);
  }
}
BENCHMARK(BM_LibraryMonogramNewInitials);

void bareMonogram(const char* text) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 80, 80);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, 2, 2);
  cairo_set_source_rgb(cr, 0x4b / 255.0, 0x94 / 255.0, 0x84 / 255.0);
  cairo_arc(cr, 20, 20, 20, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* description = pango_font_description_from_string("Noto Sans");
  pango_font_description_set_absolute_size(description, 17 * PANGO_SCALE);
  pango_layout_set_font_description(layout, description);
  pango_font_description_free(description);
  pango_layout_set_text(layout, text, -1);
  pango_layout_set_width(layout, 40 * PANGO_SCALE);
  pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
  pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
  cairo_move_to(cr, 0, 9.5);
  pango_cairo_show_layout(cr, layout);
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
  cairo_surface_destroy(surface);
}

void BM_BareCairoPango(benchmark::State& state) {
  for (auto _ : state) bareMonogram("JS");
}
BENCHMARK(BM_BareCairoPango);

// The same texts as the library's new initials, upper-cased as they are drawn.
void BM_BareCairoPangoNewInitials(benchmark::State& state) {
  std::vector<std::string> texts = newInitials();
  for (auto& text : texts) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  size_t next = 0;
  for (auto _ : state) bareMonogram(texts[next++ % texts.size()].c_str());
}
BENCHMARK(BM_BareCairoPangoNewInitials);
}  // namespace

BENCHMARK_MAIN();
