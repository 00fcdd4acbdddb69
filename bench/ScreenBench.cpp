// A full 375 x 667 screen at scale 2 with a list of 12 rows (a round picture and two labels each),
// drawn by the screen renderer against the same rectangles, pictures and texts drawn with bare
// cairo and pango.
#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "EnterBenchDevice.h"
#include "QuietBenchmarkMain.h"
#include "foundation/Device.h"
#include "screens/ScreenRenderer.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UIGraphics.h"
#include "uikit/UILabel.h"
#include "uikit/UIWindow.h"

namespace {
constexpr double kWidth = 375, kHeight = 667, kScale = 2, kTop = 64, kRow = 50, kPicture = 40;
constexpr int kRows = 12;

void enterDevice() {
  static bool done = [] {
    DeviceProfile profile;
    profile.scale = kScale;
    enterBenchDevice(profile);
    return true;
  }();
  (void)done;
}

UIImagePtr picture() {
  static UIImagePtr image = [] {
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(kPicture, kPicture), true, kScale);
    CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), 0.2, 0.6, 0.86, 1);
    CGContextFillRect(UIGraphicsGetCurrentContext(), CGRectMake(0, 0, kPicture, kPicture));
    auto made = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return made;
  }();
  return image;
}

std::string name(int i) {
  return "Contact number " + std::to_string(i + 1) + " with a rather long name";
}

std::shared_ptr<UIWindow> screen() {
  auto window = make<UIWindow>(CGRectMake(0, 0, kWidth, kHeight));
  window->setBackgroundColor(UIColor::whiteColor());
  for (int i = 0; i < kRows; ++i) {
    auto row = make<UIView>(CGRectMake(0, kTop + i * kRow, kWidth, kRow));
    row->setBackgroundColor(UIColor::colorWithWhite(i % 2 ? 0.97 : 1, 1));
    auto view = make<UIImageView>(CGRectMake(15, 5, kPicture, kPicture));
    view->setImage(picture());
    view->layer()->setCornerRadius(kPicture / 2);
    view->setClipsToBounds(true);
    row->addSubview(view);
    auto title = make<UILabel>(CGRectMake(65, 5, 290, 22));
    title->setText(name(i));
    row->addSubview(title);
    auto detail = make<UILabel>(CGRectMake(65, 27, 290, 18));
    detail->setText("mobile");
    detail->setFont(UIFont::systemFontOfSize(13));
    row->addSubview(detail);
    window->addSubview(row);
  }
  return window;
}

void BM_ScreenRenderer(benchmark::State& state) {
  enterDevice();
  auto window = screen();
  for (auto _ : state) {
    standin::layoutViewTree(window);
    auto image = standin::renderViewTree(window, kScale);
    benchmark::DoNotOptimize(image);
  }
}
BENCHMARK(BM_ScreenRenderer)->Unit(benchmark::kMillisecond);

void showText(cairo_t* cr, PangoContext* context, const std::string& text, double size, double x,
              double y, double width) {
  PangoLayout* layout = pango_layout_new(context);
  PangoFontDescription* font = pango_font_description_from_string("Noto Sans");
  pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  pango_layout_set_text(layout, text.c_str(), -1);
  pango_layout_set_width(layout, static_cast<int>(width * PANGO_SCALE));
  pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
  cairo_move_to(cr, x, y);
  pango_cairo_show_layout(cr, layout);
  g_object_unref(layout);
}

void BM_BareCairo(benchmark::State& state) {
  enterDevice();
  cairo_surface_t* pictureSurface = CGImageGetSurface(picture()->CGImage());
  PangoContext* context = pango_font_map_create_context(pango_cairo_font_map_get_default());
  for (auto _ : state) {
    cairo_surface_t* surface = cairo_image_surface_create(
        CAIRO_FORMAT_ARGB32, static_cast<int>(kWidth * kScale), static_cast<int>(kHeight * kScale));
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, kScale, kScale);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    for (int i = 0; i < kRows; ++i) {
      double y = kTop + i * kRow;
      double grey = i % 2 ? 0.97 : 1;
      cairo_set_source_rgb(cr, grey, grey, grey);
      cairo_rectangle(cr, 0, y, kWidth, kRow);
      cairo_fill(cr);
      cairo_save(cr);
      cairo_arc(cr, 15 + kPicture / 2, y + 5 + kPicture / 2, kPicture / 2, 0, 2 * M_PI);
      cairo_clip(cr);
      cairo_translate(cr, 15, y + 5);
      cairo_scale(cr, 1 / kScale, 1 / kScale);
      cairo_set_source_surface(cr, pictureSurface, 0, 0);
      cairo_paint(cr);
      cairo_restore(cr);
      cairo_set_source_rgb(cr, 0, 0, 0);
      showText(cr, context, name(i), 17, 65, y + 5, 290);
      showText(cr, context, "mobile", 13, 65, y + 27, 290);
    }
    cairo_destroy(cr);
    benchmark::DoNotOptimize(surface);
    cairo_surface_destroy(surface);
  }
  g_object_unref(context);
}
BENCHMARK(BM_BareCairo)->Unit(benchmark::kMillisecond);

}  // namespace

QUIET_BENCHMARK_MAIN()
