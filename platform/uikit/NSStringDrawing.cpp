#include "uikit/NSStringDrawing.h"

#include <pango/pangocairo.h>

#include <string_view>

#include <cmath>

#include "uikit/NSStringDrawingLimit.h"
#include "uikit/UIFont.h"
#include "uikit/UIGraphics.h"

namespace {
// One pango context per thread (pango's font maps are per thread). Hinting is off so that a
// line measures the same at every screen scale.
PangoContext* threadContext() {
  thread_local struct Holder {
    PangoContext* context = nullptr;
    Holder() {
      context = pango_font_map_create_context(pango_cairo_font_map_get_default());
      cairo_font_options_t* options = cairo_font_options_create();
      cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
      cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
      cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
      pango_cairo_context_set_font_options(context, options);
      cairo_font_options_destroy(options);
    }
    ~Holder() { g_object_unref(context); }
  } holder;
  return holder.context;
}

// A laid-out line or paragraph; the layout is freed with the object.
struct Layout {
  PangoLayout* layout;
  explicit Layout(const std::string& text, const std::shared_ptr<UIFont>& font) {
    layout = pango_layout_new(threadContext());
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, font ? font->familyName().c_str() : "Noto Sans");
    pango_font_description_set_weight(
        description, font && font->isBold() ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    // The size is in the context's user units, points, whatever the pixel scale.
    pango_font_description_set_absolute_size(description,
                                             (font ? font->pointSize() : 17.0) * PANGO_SCALE);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    std::string_view shaped = NSStringDrawnPrefix(text);
    pango_layout_set_text(layout, shaped.data(), static_cast<int>(shaped.size()));
  }
  ~Layout() { g_object_unref(layout); }
  Layout(const Layout&) = delete;
  Layout& operator=(const Layout&) = delete;
};

PangoEllipsizeMode ellipsis(NSLineBreakMode mode) {
  switch (mode) {
    case NSLineBreakByTruncatingHead:
      return PANGO_ELLIPSIZE_START;
    case NSLineBreakByTruncatingMiddle:
      return PANGO_ELLIPSIZE_MIDDLE;
    case NSLineBreakByTruncatingTail:
      return PANGO_ELLIPSIZE_END;
    default:
      return PANGO_ELLIPSIZE_NONE;
  }
}

PangoAlignment alignmentOf(NSTextAlignment alignment) {
  switch (alignment) {
    case NSTextAlignmentCenter:
      return PANGO_ALIGN_CENTER;
    case NSTextAlignmentRight:
      return PANGO_ALIGN_RIGHT;
    default:
      return PANGO_ALIGN_LEFT;
  }
}
}  // namespace

CGSize NSStringDrawInRect(const std::string& text, CGRect rect, const std::shared_ptr<UIFont>& font,
                          NSLineBreakMode lineBreakMode, NSTextAlignment alignment) {
  CGContextRef context = UIGraphicsGetCurrentContext();
  if (!context || text.empty() || !(rect.size.width > 0)) return {};
  Layout line(text, font);
  PangoLayout* layout = line.layout;
  pango_layout_set_width(layout, static_cast<int>(rect.size.width * PANGO_SCALE));
  pango_layout_set_alignment(layout, alignmentOf(alignment));
  PangoEllipsizeMode mode = ellipsis(lineBreakMode);
  if (mode != PANGO_ELLIPSIZE_NONE) {
    // Truncating modes keep to one line.
    pango_layout_set_ellipsize(layout, mode);
    pango_layout_set_height(layout, -1);
    pango_layout_set_single_paragraph_mode(layout, TRUE);
  } else {
    pango_layout_set_wrap(
        layout, lineBreakMode == NSLineBreakByCharWrapping ? PANGO_WRAP_CHAR : PANGO_WRAP_WORD);
  }
  cairo_t* cr = CGContextGetCairo(context);
  cairo_save(cr);
  cairo_move_to(cr, rect.origin.x, rect.origin.y);
  pango_cairo_show_layout(cr, layout);
  cairo_restore(cr);
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  return {std::fmin(rect.size.width, double(logical.width) / PANGO_SCALE),
          double(logical.height) / PANGO_SCALE};
}

CGRect NSStringBoundingRect(const std::string& text, CGSize size, long options,
                            const std::shared_ptr<UIFont>& font) {
  (void)size;  // one line, never wrapped
  if (text.empty()) return {};
  Layout line(text, font);
  PangoRectangle ink, logical;
  pango_layout_get_extents(line.layout, &ink, &logical);
  const PangoRectangle& r = (options & NSStringDrawingUsesDeviceMetrics) ? ink : logical;
  return CGRectMake(double(r.x - logical.x) / PANGO_SCALE, double(r.y - logical.y) / PANGO_SCALE,
                    double(r.width) / PANGO_SCALE, double(r.height) / PANGO_SCALE);
}
