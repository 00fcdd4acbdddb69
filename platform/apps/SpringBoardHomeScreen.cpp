// SpringBoard's home screen: a wallpaper, a grid of application icons with their names and the
// dock's frosted band with four more. The icons are plain shapes of our own on coloured tiles.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "apps/SpringBoardHomeScreen.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"
#include "uikit/UILabel.h"
#include "uikit/UIWindow.h"

namespace {
constexpr double kIcon = 60, kDockHeight = 96, kTopMargin = 28, kRowPitch = 88;

struct App {
  const char* name;
  double r, g, b;  // the tile's colour
  int glyph;       // which white shape it carries
};

// The wallpaper's gradients over a screen of `size` points.
void paintSky(cairo_t* cr, CGSize size) {
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, size.width * 0.3, size.height);
  cairo_pattern_add_color_stop_rgb(sky, 0, 0.16, 0.36, 0.62);
  cairo_pattern_add_color_stop_rgb(sky, 0.55, 0.24, 0.22, 0.52);
  cairo_pattern_add_color_stop_rgb(sky, 1, 0.10, 0.10, 0.26);
  cairo_set_source(cr, sky);
  cairo_paint(cr);
  cairo_pattern_destroy(sky);
  for (auto [x, y, radius] : {std::tuple{0.2, 0.3, 0.5}, std::tuple{0.85, 0.7, 0.4}}) {
    cairo_pattern_t* glow = cairo_pattern_create_radial(
        size.width * x, size.height * y, 0, size.width * x, size.height * y, size.width * radius);
    cairo_pattern_add_color_stop_rgba(glow, 0, 1, 1, 1, 0.18);
    cairo_pattern_add_color_stop_rgba(glow, 1, 1, 1, 1, 0);
    cairo_set_source(cr, glow);
    cairo_paint(cr);
    cairo_pattern_destroy(glow);
  }
}

// The wallpaper's sky at a quarter of the screen's resolution: pixman spends some 50 ms a frame
// on a full screen of radial gradients, and they are smooth, so a bilinear enlargement shows no
// difference. Drawn once per screen size and kept for every later frame; each frame enlarges it
// straight onto the screen, with no screen-sized copy of its own to fill first.
cairo_surface_t* skyPixels(CGSize size, int width, int height) {
  struct Kept {
    int width, height;
    cairo_surface_t* pixels;
  };
  // One a screen size, never destroyed: frames drawn while the process exits still use them, and
  // the leak checker still finds them reachable from here.
  static auto* mutex = new std::mutex;
  static auto* kept = new std::vector<Kept>;
  std::lock_guard lock(*mutex);
  for (const Kept& entry : *kept) {
    if (entry.width == width && entry.height == height) return entry.pixels;
  }
  constexpr int kReduction = 4;
  int smallWidth = std::max(1, width / kReduction), smallHeight = std::max(1, height / kReduction);
  cairo_surface_t* small = cairo_image_surface_create(CAIRO_FORMAT_RGB24, smallWidth, smallHeight);
  cairo_t* cr = cairo_create(small);
  cairo_scale(cr, smallWidth / size.width, smallHeight / size.height);
  paintSky(cr, size);
  cairo_destroy(cr);
  kept->push_back({width, height, small});
  return small;
}

// A deep blue to violet gradient with two soft light discs.
class Wallpaper : public UIView {
 public:
  static Class class_();
  explicit Wallpaper(CGRect frame = {}) : Wallpaper(class_(), frame) {}
  void drawContent(CGContextRef context) const override {
    cairo_t* cr = CGContextGetCairo(context);
    CGSize s = bounds().size;
    double width = s.width, height = s.height;
    cairo_user_to_device_distance(cr, &width, &height);
    int w = static_cast<int>(std::lround(std::fabs(width)));
    int h = static_cast<int>(std::lround(std::fabs(height)));
    if (w < 1 || h < 1 || w > 8192 || h > 8192) return paintSky(cr, s);
    cairo_surface_t* sky = skyPixels(s, w, h);
    int skyWidth = cairo_image_surface_get_width(sky);
    int skyHeight = cairo_image_surface_get_height(sky);
    cairo_save(cr);
    cairo_scale(cr, s.width / skyWidth, s.height / skyHeight);
    cairo_set_source_surface(cr, sky, 0, 0);
    // The edge pixels stretch to the wallpaper's edges, as they would from a sky of full size.
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
    cairo_rectangle(cr, 0, 0, skyWidth, skyHeight);
    cairo_fill(cr);
    cairo_restore(cr);
  }

 protected:
  friend struct ::objc_alloc;
  Wallpaper(Class cls, CGRect frame) : UIView(cls, frame) {}
};
SIM_DEFINE_VIEW_CLASS(Wallpaper, UIView)

void drawGlyph(cairo_t* cr, int glyph) {
  double c = kIcon / 2;
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_set_line_width(cr, 3);
  switch (glyph % 6) {
    case 0:  // a disc
      cairo_arc(cr, c, c, 14, 0, 2 * M_PI);
      cairo_fill(cr);
      break;
    case 1:  // a ring
      cairo_arc(cr, c, c, 15, 0, 2 * M_PI);
      cairo_stroke(cr);
      break;
    case 2:  // a rounded square outline
      cairo_rectangle(cr, c - 14, c - 12, 28, 24);
      cairo_stroke(cr);
      break;
    case 3:  // a triangle
      cairo_move_to(cr, c, c - 15);
      cairo_line_to(cr, c + 15, c + 12);
      cairo_line_to(cr, c - 15, c + 12);
      cairo_close_path(cr);
      cairo_fill(cr);
      break;
    case 4:  // three bars
      for (int i = 0; i < 3; ++i)
        cairo_rectangle(cr, c - 15 + i * 11, c - 4 - i * 6, 8, 16 + i * 6);
      cairo_fill(cr);
      break;
    default:  // a cross
      cairo_rectangle(cr, c - 3, c - 15, 6, 30);
      cairo_rectangle(cr, c - 15, c - 3, 30, 6);
      cairo_fill(cr);
  }
}

UIImagePtr iconPicture(const App& app) {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(kIcon, kIcon), false, 0);
  cairo_t* cr = CGContextGetCairo(UIGraphicsGetCurrentContext());
  UIImagePtr picture;
  if (cr) {
    double r = 13.5;
    cairo_new_sub_path(cr);
    cairo_arc(cr, kIcon - r, r, r, -M_PI / 2, 0);
    cairo_arc(cr, kIcon - r, kIcon - r, r, 0, M_PI / 2);
    cairo_arc(cr, r, kIcon - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, r, r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
    cairo_pattern_t* tile = cairo_pattern_create_linear(0, 0, 0, kIcon);
    cairo_pattern_add_color_stop_rgb(tile, 0, std::fmin(1, app.r + 0.15),
                                     std::fmin(1, app.g + 0.15), std::fmin(1, app.b + 0.15));
    cairo_pattern_add_color_stop_rgb(tile, 1, app.r, app.g, app.b);
    cairo_set_source(cr, tile);
    cairo_fill(cr);
    cairo_pattern_destroy(tile);
    drawGlyph(cr, app.glyph);
    picture = UIGraphicsGetImageFromCurrentImageContext();
  }
  UIGraphicsEndImageContext();
  if (picture) picture->setSource(std::string("host icon ") + app.name);
  return picture;
}

void addIcon(const std::shared_ptr<UIView>& parent, const App& app, CGFloat x, CGFloat y,
             bool named) {
  auto icon = make<UIImageView>(iconPicture(app));
  icon->setFrame(CGRectMake(x, y, kIcon, kIcon));
  parent->addSubview(icon);
  if (!named) return;
  auto name = make<UILabel>(CGRectMake(x - 12, y + kIcon + 4, kIcon + 24, 14));
  name->setText(app.name);
  name->setFont(UIFont::systemFontOfSize(12));
  name->setTextColor(UIColor::whiteColor());
  name->setTextAlignment(NSTextAlignmentCenter);
  parent->addSubview(name);
}
}  // namespace

namespace standin::apps {

void addHomeScreen(const std::shared_ptr<UIWindow>& window) {
  static const std::vector<App> grid = {
      {"Messages", 0.20, 0.75, 0.30, 0},  {"Calendar", 0.92, 0.30, 0.28, 2},
      {"Photos", 0.95, 0.65, 0.20, 1},    {"Camera", 0.45, 0.47, 0.50, 0},
      {"Weather", 0.25, 0.55, 0.90, 0},   {"Clock", 0.15, 0.15, 0.17, 1},
      {"Maps", 0.35, 0.70, 0.45, 3},      {"Videos", 0.20, 0.22, 0.26, 3},
      {"Notes", 0.95, 0.80, 0.25, 2},     {"Reminders", 0.90, 0.90, 0.92, 1},
      {"Stocks", 0.12, 0.12, 0.14, 4},    {"Game Center", 0.70, 0.45, 0.85, 1},
      {"Newsstand", 0.55, 0.40, 0.30, 4}, {"Store", 0.75, 0.30, 0.85, 5},
      {"App Store", 0.20, 0.55, 0.95, 3}, {"Wallet", 0.10, 0.10, 0.12, 2},
      {"Compass", 0.25, 0.25, 0.28, 3},   {"Settings", 0.55, 0.56, 0.60, 5},
      {"Contacts", 0.60, 0.60, 0.62, 0},  {"Calculator", 0.95, 0.55, 0.15, 5}};
  static const std::vector<App> dock = {{"Phone", 0.25, 0.80, 0.35, 1},
                                        {"Mail", 0.20, 0.55, 0.95, 2},
                                        {"Safari", 0.25, 0.60, 0.95, 1},
                                        {"Music", 0.95, 0.30, 0.40, 4}};
  CGRect b = window->bounds();
  window->addSubview(make<Wallpaper>(b));
  // Four columns spread evenly; as many rows as fit above the dock.
  CGFloat gap = (b.size.width - 4 * kIcon) / 5;
  int rows = static_cast<int>((b.size.height - kDockHeight - kTopMargin) / kRowPitch);
  for (int i = 0; i < static_cast<int>(grid.size()) && i / 4 < rows; ++i) {
    addIcon(window, grid[i], gap + (i % 4) * (kIcon + gap), kTopMargin + (i / 4) * kRowPitch, true);
  }
  auto band = make<UIView>(CGRectMake(0, b.size.height - kDockHeight, b.size.width, kDockHeight));
  band->setBackgroundColor(UIColor::colorWithWhite(1, 0.3));
  window->addSubview(band);
  for (int i = 0; i < 4; ++i) {
    addIcon(window, dock[i], gap + i * (kIcon + gap), b.size.height - kDockHeight + 8, true);
  }
}

}  // namespace standin::apps
