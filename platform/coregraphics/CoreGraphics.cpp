#include "coregraphics/CoreGraphics.h"

#include <cairo.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

struct CGColorSpace {};

CGColorSpaceRef CGColorSpaceCreateDeviceRGB() {
  return new CGColorSpace;
}

void CGColorSpaceRelease(CGColorSpaceRef space) {
  delete space;
}

// ---- Images

class CGImage {
 public:
  explicit CGImage(cairo_surface_t* s) : surface(s) {}
  ~CGImage() { cairo_surface_destroy(surface); }
  CGImage(const CGImage&) = delete;
  CGImage& operator=(const CGImage&) = delete;
  cairo_surface_t* const surface;
  std::atomic<int> references{1};
};

CGImageRef CGImageCreateWithSurface(cairo_surface_t* surface) {
  if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
      cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) {
    if (surface) cairo_surface_destroy(surface);
    return nullptr;
  }
  cairo_surface_flush(surface);
  return new CGImage(surface);
}

CGImageRef CGImageRetain(CGImageRef image) {
  if (image) image->references.fetch_add(1, std::memory_order_relaxed);
  return image;
}

void CGImageRelease(CGImageRef image) {
  if (image && image->references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete image;
}

size_t CGImageGetWidth(CGImageRef image) {
  return image ? cairo_image_surface_get_width(image->surface) : 0;
}

size_t CGImageGetHeight(CGImageRef image) {
  return image ? cairo_image_surface_get_height(image->surface) : 0;
}

size_t CGImageGetBytesPerRow(CGImageRef image) {
  return image ? cairo_image_surface_get_stride(image->surface) : 0;
}

const uint8_t* CGImageGetPixels(CGImageRef image) {
  return image ? cairo_image_surface_get_data(image->surface) : nullptr;
}

cairo_surface_t* CGImageGetSurface(CGImageRef image) {
  return image ? image->surface : nullptr;
}

CGPixel CGImageGetPixel(CGImageRef image, size_t x, size_t y) {
  if (!image || x >= CGImageGetWidth(image) || y >= CGImageGetHeight(image)) return {};
  uint32_t argb;
  std::memcpy(&argb, CGImageGetPixels(image) + y * CGImageGetBytesPerRow(image) + x * 4, 4);
  uint8_t a = argb >> 24;
  if (a == 0) return {};
  auto un = [a](uint32_t v) { return static_cast<uint8_t>(((v & 0xff) * 255 + a / 2) / a); };
  return {un(argb >> 16), un(argb >> 8), un(argb), a};
}

// ---- Contexts

struct CGContext {
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  ~CGContext() {
    if (cr) cairo_destroy(cr);
    if (surface) cairo_surface_destroy(surface);
  }
};

CGContextRef CGContextCreateForImage(size_t pixelWidth, size_t pixelHeight, CGFloat scale) {
  if (pixelWidth == 0 || pixelHeight == 0 || pixelWidth > kCGImageMaxDimension ||
      pixelHeight > kCGImageMaxDimension || !(scale > 0) || !std::isfinite(scale)) {
    return nullptr;
  }
  auto* c = new CGContext;
  c->surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(pixelWidth),
                                          static_cast<int>(pixelHeight));
  c->cr = cairo_create(c->surface);
  if (cairo_status(c->cr) != CAIRO_STATUS_SUCCESS) {
    delete c;
    return nullptr;
  }
  cairo_scale(c->cr, scale, scale);
  cairo_set_source_rgba(c->cr, 0, 0, 0, 1);
  return c;
}

CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space,
                                   CGBitmapInfo bitmapInfo) {
  uint32_t alpha = bitmapInfo & 0x1f;
  if (data || !space || bitsPerComponent != 8 ||
      (alpha != kCGImageAlphaPremultipliedFirst && alpha != kCGImageAlphaNoneSkipFirst) ||
      (bytesPerRow != 0 && bytesPerRow < width * 4)) {
    return nullptr;
  }
  return CGContextCreateForImage(width, height, 1.0);
}

CGImageRef CGBitmapContextCreateImage(CGContextRef c) {
  if (!c) return nullptr;
  cairo_surface_flush(c->surface);
  int w = cairo_image_surface_get_width(c->surface);
  int h = cairo_image_surface_get_height(c->surface);
  cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  if (cairo_surface_status(copy) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(copy);
    return nullptr;
  }
  int from = cairo_image_surface_get_stride(c->surface);
  int to = cairo_image_surface_get_stride(copy);
  const uint8_t* src = cairo_image_surface_get_data(c->surface);
  uint8_t* dst = cairo_image_surface_get_data(copy);
  for (int y = 0; y < h; ++y) std::memcpy(dst + y * to, src + y * from, size_t(w) * 4);
  cairo_surface_mark_dirty(copy);
  return CGImageCreateWithSurface(copy);
}

size_t CGBitmapContextGetWidth(CGContextRef c) {
  return c ? cairo_image_surface_get_width(c->surface) : 0;
}

size_t CGBitmapContextGetHeight(CGContextRef c) {
  return c ? cairo_image_surface_get_height(c->surface) : 0;
}

void CGContextRelease(CGContextRef c) {
  delete c;
}

cairo_t* CGContextGetCairo(CGContextRef c) {
  return c ? c->cr : nullptr;
}

void CGContextSaveGState(CGContextRef c) {
  if (c) cairo_save(c->cr);
}

void CGContextRestoreGState(CGContextRef c) {
  if (c) cairo_restore(c->cr);
}

void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty) {
  if (c && std::isfinite(tx) && std::isfinite(ty)) cairo_translate(c->cr, tx, ty);
}

void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy) {
  // cairo puts a context into a lasting error state on a matrix it cannot invert.
  if (!c || !std::isfinite(sx) || !std::isfinite(sy) || sx == 0 || sy == 0) return;
  cairo_scale(c->cr, sx, sy);
}

void CGContextBeginPath(CGContextRef c) {
  if (c) cairo_new_path(c->cr);
}

void CGContextMoveToPoint(CGContextRef c, CGFloat x, CGFloat y) {
  if (c) cairo_move_to(c->cr, x, y);
}

void CGContextAddLineToPoint(CGContextRef c, CGFloat x, CGFloat y) {
  if (c) cairo_line_to(c->cr, x, y);
}

void CGContextAddArcToPoint(CGContextRef c, CGFloat x1, CGFloat y1, CGFloat x2, CGFloat y2,
                            CGFloat radius) {
  if (!c) return;
  cairo_t* cr = c->cr;
  if (!cairo_has_current_point(cr)) {
    cairo_move_to(cr, x1, y1);
    return;
  }
  double x0, y0;
  cairo_get_current_point(cr, &x0, &y0);
  double ux = x0 - x1, uy = y0 - y1, vx = x2 - x1, vy = y2 - y1;
  double lu = std::hypot(ux, uy), lv = std::hypot(vx, vy);
  double cross = ux * vy - uy * vx;
  if (radius <= 0 || lu == 0 || lv == 0 || std::fabs(cross) < 1e-12 * lu * lv) {
    cairo_line_to(cr, x1, y1);
    return;
  }
  ux /= lu, uy /= lu, vx /= lv, vy /= lv;
  double half = std::acos(std::clamp(ux * vx + uy * vy, -1.0, 1.0)) / 2;
  double toTangent = radius / std::tan(half);
  double bx = ux + vx, by = uy + vy, lb = std::hypot(bx, by);
  double toCentre = radius / std::sin(half);
  double cx = x1 + bx / lb * toCentre, cy = y1 + by / lb * toCentre;
  double a1 = std::atan2(y1 + uy * toTangent - cy, x1 + ux * toTangent - cx);
  double a2 = std::atan2(y1 + vy * toTangent - cy, x1 + vx * toTangent - cx);
  // Turning one way along the corner means growing angles in a y-down space.
  if (cross < 0) {
    cairo_arc(cr, cx, cy, radius, a1, a2);
  } else {
    cairo_arc_negative(cr, cx, cy, radius, a1, a2);
  }
}

void CGContextAddArc(CGContextRef c, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle,
                     CGFloat endAngle, int clockwise) {
  if (!c || !(radius >= 0)) return;
  if (clockwise) {
    cairo_arc_negative(c->cr, x, y, radius, startAngle, endAngle);
  } else {
    cairo_arc(c->cr, x, y, radius, startAngle, endAngle);
  }
}

namespace {
void quadTo(cairo_t* cr, double x0, double y0, double cpx, double cpy, double x, double y) {
  cairo_curve_to(cr, x0 + 2.0 / 3 * (cpx - x0), y0 + 2.0 / 3 * (cpy - y0), x + 2.0 / 3 * (cpx - x),
                 y + 2.0 / 3 * (cpy - y), x, y);
}

void ellipse(cairo_t* cr, CGRect r) {
  if (!(r.size.width > 0) || !(r.size.height > 0)) return;
  cairo_save(cr);
  cairo_translate(cr, r.origin.x + r.size.width / 2, r.origin.y + r.size.height / 2);
  cairo_scale(cr, r.size.width / 2, r.size.height / 2);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_close_path(cr);
  cairo_restore(cr);
}
}  // namespace

void CGContextAddQuadCurveToPoint(CGContextRef c, CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y) {
  if (!c) return;
  double x0 = cpx, y0 = cpy;
  if (cairo_has_current_point(c->cr)) cairo_get_current_point(c->cr, &x0, &y0);
  quadTo(c->cr, x0, y0, cpx, cpy, x, y);
}

void CGContextAddEllipseInRect(CGContextRef c, CGRect rect) {
  if (c) ellipse(c->cr, rect);
}

void CGContextAddRect(CGContextRef c, CGRect r) {
  if (c) cairo_rectangle(c->cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
}

void CGContextClosePath(CGContextRef c) {
  if (c && cairo_has_current_point(c->cr)) cairo_close_path(c->cr);
}

void CGContextClip(CGContextRef c) {
  if (c) cairo_clip(c->cr);
}

void CGContextSetFillColorWithColor(CGContextRef c, CGColorRef color) {
  if (c && color) cairo_set_source_rgba(c->cr, color->red, color->green, color->blue, color->alpha);
}

void CGContextSetRGBFillColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
  if (c) cairo_set_source_rgba(c->cr, r, g, b, a);
}

void CGContextFillRect(CGContextRef c, CGRect r) {
  if (!c) return;
  cairo_new_path(c->cr);
  cairo_rectangle(c->cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
  cairo_fill(c->cr);
}

void CGContextFillEllipseInRect(CGContextRef c, CGRect rect) {
  if (!c) return;
  cairo_new_path(c->cr);
  ellipse(c->cr, rect);
  cairo_fill(c->cr);
}

void CGContextFillPath(CGContextRef c) {
  if (c) cairo_fill(c->cr);
}

void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image) {
  if (!c || !image) return;
  double w = CGImageGetWidth(image), h = CGImageGetHeight(image);
  if (!(rect.size.width > 0) || !(rect.size.height > 0) || w == 0 || h == 0) return;
  cairo_t* cr = c->cr;
  cairo_save(cr);
  cairo_new_path(cr);
  cairo_translate(cr, rect.origin.x, rect.origin.y);
  cairo_scale(cr, rect.size.width / w, rect.size.height / h);
  cairo_set_source_surface(cr, image->surface, 0, 0);
  cairo_matrix_t m;
  cairo_get_matrix(cr, &m);
  if (m.xx == 1 && m.yy == 1 && m.xy == 0 && m.yx == 0 && m.x0 == std::floor(m.x0) &&
      m.y0 == std::floor(m.y0)) {
    // Pixel for pixel: a plain copy, which pixman does fastest.
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  } else {
    // Padding keeps the edges of a stretched picture sharp instead of fading them out.
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  }
  cairo_rectangle(cr, 0, 0, w, h);
  cairo_fill(cr);
  cairo_restore(cr);
}

// ---- Paths

struct CGPath {
  enum Kind { Move, Line, Quad, Close };
  struct Element {
    Kind kind;
    CGPoint p, cp;
  };
  std::vector<Element> elements;
  CGPoint current, start;
};

namespace {
CGPoint apply(const CGAffineTransform* m, CGFloat x, CGFloat y) {
  if (!m) return {x, y};
  return {m->a * x + m->c * y + m->tx, m->b * x + m->d * y + m->ty};
}

void replay(cairo_t* cr, CGPathRef path) {
  CGPoint last{};
  for (const auto& e : path->elements) {
    switch (e.kind) {
      case CGPath::Move:
        cairo_move_to(cr, e.p.x, e.p.y);
        break;
      case CGPath::Line:
        cairo_line_to(cr, e.p.x, e.p.y);
        break;
      case CGPath::Quad:
        quadTo(cr, last.x, last.y, e.cp.x, e.cp.y, e.p.x, e.p.y);
        break;
      case CGPath::Close:
        cairo_close_path(cr);
        break;
    }
    if (cairo_has_current_point(cr)) cairo_get_current_point(cr, &last.x, &last.y);
  }
}

void add(CGMutablePathRef path, CGPath::Kind kind, CGPoint p, CGPoint cp = {}) {
  if (!path) return;
  // A segment without a current point begins a sub-path there, as on the platform.
  if (kind != CGPath::Move && path->elements.empty()) add(path, CGPath::Move, p);
  path->elements.push_back({kind, p, cp});
  if (kind == CGPath::Move) path->start = p;
  path->current = p;
}
}  // namespace

CGMutablePathRef CGPathCreateMutable() {
  return new CGPath;
}

void CGPathRelease(CGPathRef path) {
  delete path;
}

void CGPathMoveToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat x, CGFloat y) {
  add(path, CGPath::Move, apply(m, x, y));
}

void CGPathAddLineToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat x, CGFloat y) {
  add(path, CGPath::Line, apply(m, x, y));
}

void CGPathAddQuadCurveToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat cpx,
                               CGFloat cpy, CGFloat x, CGFloat y) {
  add(path, CGPath::Quad, apply(m, x, y), apply(m, cpx, cpy));
}

void CGPathCloseSubpath(CGMutablePathRef path) {
  if (!path || path->elements.empty()) return;
  path->elements.push_back({CGPath::Close, path->start, {}});
  path->current = path->start;
}

bool CGPathIsEmpty(CGPathRef path) {
  return !path || path->elements.empty();
}

CGPoint CGPathGetCurrentPoint(CGPathRef path) {
  return path ? path->current : CGPoint{};
}

namespace {
// A scratch cairo context for questions about a path's geometry.
cairo_t* scratch() {
  thread_local struct Scratch {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cr = cairo_create(s);
    ~Scratch() {
      cairo_destroy(cr);
      cairo_surface_destroy(s);
    }
  } one;
  cairo_new_path(one.cr);
  return one.cr;
}
}  // namespace

CGRect CGPathGetBoundingBox(CGPathRef path) {
  if (CGPathIsEmpty(path)) return {};
  cairo_t* cr = scratch();
  replay(cr, path);
  double x1, y1, x2, y2;
  cairo_path_extents(cr, &x1, &y1, &x2, &y2);
  return CGRectMake(x1, y1, x2 - x1, y2 - y1);
}

bool CGPathContainsPoint(CGPathRef path, const CGAffineTransform* m, CGPoint point, bool eoFill) {
  if (CGPathIsEmpty(path)) return false;
  cairo_t* cr = scratch();
  replay(cr, path);
  CGPoint p = apply(m, point.x, point.y);
  cairo_set_fill_rule(cr, eoFill ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
  return cairo_in_fill(cr, p.x, p.y);
}

void CGContextAddPath(CGContextRef c, CGPathRef path) {
  if (c && path) replay(c->cr, path);
}
