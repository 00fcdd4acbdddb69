#include "uikit/NSStringDrawing.h"

#include <pango/pangocairo.h>
#include <unicode/ubidi.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/NSValueTypes.h"
#include "uikit/NSStringDrawingLimit.h"
#include "uikit/UIFont.h"
#include "uikit/UIGraphics.h"

namespace {
// One pango context and font map for every thread. Pango's default font map is one per thread,
// and each would look through the system's fonts again for every font it is first asked for (the
// fork server warms this one for all its hosts). A font map is not safe to share between threads
// at once, so all text work holds textLock(). Hinting is off so that a line measures the same at
// every screen scale.
std::recursive_mutex& textLock() {
  static auto* lock = new std::recursive_mutex;
  return *lock;
}

PangoContext* sharedContext() {
  static PangoContext* const context = [] {
    PangoContext* made = pango_font_map_create_context(pango_cairo_font_map_get_default());
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(made, options);
    cairo_font_options_destroy(options);
    return made;
  }();
  return context;
}

using TextLock = std::lock_guard<std::recursive_mutex>;

// A laid-out line or paragraph; the layout is freed with the object.
struct Layout {
  PangoLayout* layout;
  explicit Layout(const std::string& text, const std::shared_ptr<UIFont>& font) {
    layout = pango_layout_new(sharedContext());
    PangoFontDescription* description = pango_font_description_new();
    // Noto draws what the font lacks (Arabic, Hebrew, CJK, emoji, through fontconfig's Noto
    // families).
    std::string families = (font ? font->familyName() + "," : std::string()) + "Noto Sans";
    pango_font_description_set_family(description, families.c_str());
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

PangoAlignment alignmentOf(NSTextAlignment alignment, bool rightToLeft = false) {
  switch (alignment) {
    case NSTextAlignmentCenter:
      return PANGO_ALIGN_CENTER;
    case NSTextAlignmentRight:
      return PANGO_ALIGN_RIGHT;
    case NSTextAlignmentNatural:
      return rightToLeft ? PANGO_ALIGN_RIGHT : PANGO_ALIGN_LEFT;
    default:
      return PANGO_ALIGN_LEFT;
  }
}

// The thread's context set to a paragraph direction while a label's layout lives; left to
// right again afterwards, as the other drawing expects.
struct ParagraphDirection {
  explicit ParagraphDirection(bool rightToLeft) {
    pango_context_set_base_dir(sharedContext(),
                               rightToLeft ? PANGO_DIRECTION_RTL : PANGO_DIRECTION_LTR);
  }
  ~ParagraphDirection() { pango_context_set_base_dir(sharedContext(), PANGO_DIRECTION_LTR); }
  ParagraphDirection(const ParagraphDirection&) = delete;
  ParagraphDirection& operator=(const ParagraphDirection&) = delete;
};

// A paragraph runs in the direction of its first strong letter, as natural writing direction
// means; text without one (numbers, punctuation) follows the layout.
bool paragraphRightToLeft(const std::string& text, bool layoutRightToLeft) {
  icu::UnicodeString utf16 = icu::UnicodeString::fromUTF8(text);
  switch (ubidi_getBaseDirection(utf16.getBuffer(), utf16.length())) {
    case UBIDI_RTL:
      return true;
    case UBIDI_LTR:
      return false;
    default:
      return layoutRightToLeft;
  }
}

bool truncates(NSLineBreakMode mode) {
  return ellipsis(mode) != PANGO_ELLIPSIZE_NONE;
}

// Sets a label's layout up for a width (0: none); answers whether the lines run unwrapped.
bool configureLabel(PangoLayout* layout, CGFloat width, const NSLabelTextStyle& style) {
  // The paragraph's direction is set by the caller; the alignment names a physical edge (a
  // natural alignment the layout's leading one), whatever way the text runs.
  pango_layout_set_auto_dir(layout, FALSE);
  pango_layout_set_alignment(layout, alignmentOf(style.alignment, style.rightToLeft));
  bool oneLine = style.numberOfLines == 1;
  if (oneLine) pango_layout_set_single_paragraph_mode(layout, TRUE);
  if (oneLine && !truncates(style.lineBreakMode)) return true;
  if (width > 0) pango_layout_set_width(layout, static_cast<int>(width * PANGO_SCALE));
  if (oneLine) {
    pango_layout_set_ellipsize(layout, ellipsis(style.lineBreakMode));
    pango_layout_set_height(layout, -1);
    return false;
  }
  pango_layout_set_wrap(layout, style.lineBreakMode == NSLineBreakByCharWrapping
                                    ? PANGO_WRAP_CHAR
                                    : PANGO_WRAP_WORD_CHAR);
  if (style.numberOfLines > 1) {
    pango_layout_set_height(layout, -static_cast<int>(std::min(style.numberOfLines, 1000L)));
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
  }
  return false;
}

CGSize logicalSize(PangoLayout* layout) {
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  return {double(logical.width) / PANGO_SCALE, double(logical.height) / PANGO_SCALE};
}
}  // namespace

namespace {
// The line box, and the ink relative to its top-left.
NSStringLineMetrics metricsOf(PangoLayout* layout) {
  PangoRectangle ink, logical;
  pango_layout_get_extents(layout, &ink, &logical);
  auto rect = [](const PangoRectangle& r, int x, int y) {
    return CGRectMake(double(r.x - x) / PANGO_SCALE, double(r.y - y) / PANGO_SCALE,
                      double(r.width) / PANGO_SCALE, double(r.height) / PANGO_SCALE);
  };
  return {rect(logical, logical.x, logical.y), rect(ink, logical.x, logical.y)};
}

CGSize drawInRect(const std::string& text, CGRect rect, const std::shared_ptr<UIFont>& font,
                  NSLineBreakMode lineBreakMode, NSTextAlignment alignment,
                  const std::function<CGPoint(const NSStringLineMetrics&)>* place) {
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
  if (place) {
    // A line that fits measures in the rectangle as it does alone; a cut one is measured whole.
    NSStringLineMetrics metrics;
    if (pango_layout_is_ellipsized(layout)) {
      Layout whole(text, font);
      metrics = metricsOf(whole.layout);
    } else {
      metrics = metricsOf(layout);
    }
    rect.origin = (*place)(metrics);
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
}  // namespace

CGSize NSStringDrawInRect(const std::string& text, CGRect rect, const std::shared_ptr<UIFont>& font,
                          NSLineBreakMode lineBreakMode, NSTextAlignment alignment) {
  TextLock lock(textLock());
  return drawInRect(text, rect, font, lineBreakMode, alignment, nullptr);
}

CGSize NSStringDrawInRectPlaced(const std::string& text, CGRect rect,
                                const std::shared_ptr<UIFont>& font, NSLineBreakMode lineBreakMode,
                                NSTextAlignment alignment,
                                const std::function<CGPoint(const NSStringLineMetrics&)>& place) {
  TextLock lock(textLock());
  return drawInRect(text, rect, font, lineBreakMode, alignment, &place);
}

CGRect NSStringBoundingRect(const std::string& text, CGSize size, long options,
                            const std::shared_ptr<UIFont>& font) {
  TextLock lock(textLock());
  (void)size;  // one line, never wrapped
  if (text.empty()) return {};
  Layout line(text, font);
  PangoRectangle ink, logical;
  pango_layout_get_extents(line.layout, &ink, &logical);
  const PangoRectangle& r = (options & NSStringDrawingUsesDeviceMetrics) ? ink : logical;
  return CGRectMake(double(r.x - logical.x) / PANGO_SCALE, double(r.y - logical.y) / PANGO_SCALE,
                    double(r.width) / PANGO_SCALE, double(r.height) / PANGO_SCALE);
}

void NSStringDrawLabelText(const std::string& text, CGRect rect, const NSLabelTextStyle& style) {
  TextLock lock(textLock());
  CGContextRef context = UIGraphicsGetCurrentContext();
  if (!context || text.empty() || !(rect.size.width > 0)) return;
  ParagraphDirection direction(paragraphRightToLeft(text, style.rightToLeft));
  Layout label(text, style.font);
  double x = rect.origin.x, y = rect.origin.y;
  bool unwrapped = configureLabel(label.layout, rect.size.width, style);
  CGSize size = logicalSize(label.layout);
  if (style.centredVertically) {
    // One line is centred on the label's middle even when taller; a wrapped block starts at
    // the top when it does not fit.
    CGFloat block = unwrapped || style.numberOfLines == 1 ? size.height
                                                          : std::min(size.height, rect.size.height);
    y += (rect.size.height - block) / 2;
  }
  if (unwrapped) {
    // An unwrapped line is placed by hand: pango aligns only within a set width.
    double spare = rect.size.width - size.width;
    PangoAlignment a = alignmentOf(style.alignment, style.rightToLeft);
    if (a == PANGO_ALIGN_CENTER) x += spare / 2;
    if (a == PANGO_ALIGN_RIGHT) x += spare;
  }
  cairo_t* cr = CGContextGetCairo(context);
  cairo_save(cr);
  cairo_move_to(cr, x, y);
  pango_cairo_show_layout(cr, label.layout);
  cairo_restore(cr);
}

CGRect NSStringLabelTextFrame(const std::string& text, CGRect rect, const NSLabelTextStyle& style) {
  TextLock lock(textLock());
  if (text.empty() || !(rect.size.width > 0)) return CGRectMake(rect.origin.x, rect.origin.y, 0, 0);
  ParagraphDirection direction(paragraphRightToLeft(text, style.rightToLeft));
  Layout label(text, style.font);
  bool unwrapped = configureLabel(label.layout, rect.size.width, style);
  PangoRectangle logical;
  pango_layout_get_extents(label.layout, nullptr, &logical);
  double x = rect.origin.x + double(logical.x) / PANGO_SCALE, y = rect.origin.y;
  CGSize size = logicalSize(label.layout);
  CGFloat block =
      unwrapped || style.numberOfLines == 1 ? size.height : std::min(size.height, rect.size.height);
  // Placed as NSStringDrawLabelText places it.
  if (style.centredVertically) y += (rect.size.height - block) / 2;
  if (unwrapped) {
    double spare = rect.size.width - size.width;
    PangoAlignment a = alignmentOf(style.alignment, style.rightToLeft);
    if (a == PANGO_ALIGN_CENTER) x += spare / 2;
    if (a == PANGO_ALIGN_RIGHT) x += spare;
  }
  return CGRectMake(x, y, size.width, block);
}

std::optional<std::string> NSStringShownLabelText(const std::string& text, CGRect rect,
                                                  const NSLabelTextStyle& style) {
  TextLock lock(textLock());
  if (text.empty() || !(rect.size.width > 0)) return std::nullopt;
  ParagraphDirection direction(paragraphRightToLeft(text, style.rightToLeft));
  Layout label(text, style.font);
  configureLabel(label.layout, rect.size.width, style);
  if (!pango_layout_is_ellipsized(label.layout)) return std::nullopt;
  // The runs in the order of the text; the ellipsis run stands for the text it replaces.
  std::string_view shaped = NSStringDrawnPrefix(text);
  std::vector<std::pair<int, std::string>> pieces;
  for (GSList* l = pango_layout_get_lines_readonly(label.layout); l; l = l->next) {
    for (GSList* r = static_cast<PangoLayoutLine*>(l->data)->runs; r; r = r->next) {
      const PangoItem* item = static_cast<PangoGlyphItem*>(r->data)->item;
      bool ellipsis = item->analysis.flags & PANGO_ANALYSIS_FLAG_IS_ELLIPSIS;
      std::size_t from = std::min<std::size_t>(item->offset, shaped.size());
      std::size_t length = std::min<std::size_t>(item->length, shaped.size() - from);
      pieces.emplace_back(item->offset,
                          ellipsis ? "\u2026" : std::string(shaped.substr(from, length)));
    }
  }
  std::stable_sort(pieces.begin(), pieces.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string shown;
  for (const auto& piece : pieces) shown += piece.second;
  return shown;
}

CGSize NSStringMeasureLabelText(const std::string& text, CGFloat maxWidth,
                                const NSLabelTextStyle& style) {
  TextLock lock(textLock());
  if (text.empty()) return {};
  ParagraphDirection direction(paragraphRightToLeft(text, style.rightToLeft));
  Layout label(text, style.font);
  NSLabelTextStyle measured = style;
  // One line is measured whole, as sizeToFit answers it, however it would be cut.
  if (style.numberOfLines == 1) measured.lineBreakMode = NSLineBreakByClipping;
  configureLabel(label.layout, maxWidth, measured);
  return logicalSize(label.layout);
}

const char* const NSFontAttributeName = "NSFont";

CGSize NSStringSizeWithAttributes(const std::string& text,
                                  const std::shared_ptr<NSDictionary>& attributes) {
  auto font = attributes ? cast<UIFont>(attributes->objectForKey(NSFontAttributeName)) : nullptr;
  if (!font) font = UIFont::systemFontOfSize(12);
  CGRect line = NSStringBoundingRect(text, {}, 0, font);
  return {std::ceil(line.size.width), std::ceil(line.size.height)};
}
