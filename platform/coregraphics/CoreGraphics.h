// CoreGraphics over cairo: colour spaces, colours, immutable bitmaps (CGImage), drawing contexts
// (bitmap and image contexts), paths and clipping.
//
// Coordinates. Every context has its origin at the top-left corner with y growing downwards, in
// points (an image context of scale 2 maps one point to two pixels). CGContextDrawImage and
// -[UIImage drawInRect:] both draw a picture upright in that space, so code written for either
// convention of the platform comes out upright here; the paths the system draws are symmetric.
//
// Ownership follows the platform: what a Create or Copy function answers is released by the caller
// (CGContextRelease, CGImageRelease, CGPathRelease, CGColorSpaceRelease).
#pragma once

#include <cstddef>
#include <cstdint>

#include "coregraphics/CGGeometry.h"

typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo cairo_t;

// Pictures larger than this are refused by the decoders before any pixel is allocated.
constexpr uint32_t kCGImageMaxDimension = 8192;
constexpr uint64_t kCGImageMaxPixels = 16ull * 1024 * 1024;

struct CGColorSpace;
using CGColorSpaceRef = CGColorSpace*;
CGColorSpaceRef CGColorSpaceCreateDeviceRGB();
void CGColorSpaceRelease(CGColorSpaceRef space);

// A colour in device RGB, components 0 to 1, alpha not premultiplied.
struct CGColor {
  CGFloat red = 0, green = 0, blue = 0, alpha = 1;
};
using CGColorRef = const CGColor*;

enum CGImageAlphaInfo : uint32_t {
  kCGImageAlphaNone = 0,
  kCGImageAlphaPremultipliedLast = 1,
  kCGImageAlphaPremultipliedFirst = 2,
  kCGImageAlphaLast = 3,
  kCGImageAlphaFirst = 4,
  kCGImageAlphaNoneSkipLast = 5,
  kCGImageAlphaNoneSkipFirst = 6,
};
using CGBitmapInfo = uint32_t;

// An immutable bitmap: premultiplied ARGB, 32 bits a pixel in native order (cairo's ARGB32).
class CGImage;
using CGImageRef = CGImage*;
CGImageRef CGImageRetain(CGImageRef image);
void CGImageRelease(CGImageRef image);
size_t CGImageGetWidth(CGImageRef image);
size_t CGImageGetHeight(CGImageRef image);
size_t CGImageGetBytesPerRow(CGImageRef image);
// The pixels, for readers such as the PNG writer and the tests.
const uint8_t* CGImageGetPixels(CGImageRef image);
// One pixel with its alpha divided out (0 to 255 each); a point outside gives all zero.
struct CGPixel {
  uint8_t red = 0, green = 0, blue = 0, alpha = 0;
};
CGPixel CGImageGetPixel(CGImageRef image, size_t x, size_t y);
// Takes over a cairo ARGB32 image surface (one reference).
CGImageRef CGImageCreateWithSurface(cairo_surface_t* surface);
// The surface of the image; it must not be drawn into.
cairo_surface_t* CGImageGetSurface(CGImageRef image);

// Decoders: nil for empty, truncated or unreadable data and for pictures above the limits.
CGImageRef CGImageCreateWithPNGData(const uint8_t* bytes, size_t length);
CGImageRef CGImageCreateWithJPEGData(const uint8_t* bytes, size_t length);
// PNG or JPEG, told apart by their signatures.
CGImageRef CGImageCreateWithEncodedData(const uint8_t* bytes, size_t length);
// The same for a picture that is drawn at most width x height pixels: a JPEG is decoded at the
// smallest of its scalings by M/8 that still covers that size, so a small file that declares a
// large picture never costs a large bitmap. Other pictures decode at their own size.
CGImageRef CGImageCreateWithEncodedDataCovering(const uint8_t* bytes, size_t length, size_t width,
                                                size_t height);

// A drawing context.
struct CGContext;
using CGContextRef = CGContext*;

// A bitmap context: 8 bits a component, device RGB, alpha premultiplied and first; the bitmap is
// the context's own (data must be null). Nil for other formats or sizes beyond the limits.
CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space,
                                   CGBitmapInfo bitmapInfo);
CGImageRef CGBitmapContextCreateImage(CGContextRef context);
size_t CGBitmapContextGetWidth(CGContextRef context);
size_t CGBitmapContextGetHeight(CGContextRef context);
void CGContextRelease(CGContextRef context);
// The cairo context underneath, for the platform's own drawing (text).
cairo_t* CGContextGetCairo(CGContextRef context);

void CGContextSaveGState(CGContextRef c);
void CGContextRestoreGState(CGContextRef c);
void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty);
// A scale that cannot be undone (0, infinite, not a number) is ignored.
void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy);

void CGContextBeginPath(CGContextRef c);
void CGContextMoveToPoint(CGContextRef c, CGFloat x, CGFloat y);
void CGContextAddLineToPoint(CGContextRef c, CGFloat x, CGFloat y);
// A line towards (x1, y1), then an arc of the radius tangent to both lines of the corner
// (x1, y1) (from the current point, and on to (x2, y2)).
void CGContextAddArcToPoint(CGContextRef c, CGFloat x1, CGFloat y1, CGFloat x2, CGFloat y2,
                            CGFloat radius);
// clockwise as the platform means it: 0 runs with growing angles.
void CGContextAddArc(CGContextRef c, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle,
                     CGFloat endAngle, int clockwise);
void CGContextAddQuadCurveToPoint(CGContextRef c, CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y);
void CGContextAddEllipseInRect(CGContextRef c, CGRect rect);
void CGContextAddRect(CGContextRef c, CGRect rect);
void CGContextClosePath(CGContextRef c);
// Intersects the clip with the current path and empties the path.
void CGContextClip(CGContextRef c);

void CGContextSetFillColorWithColor(CGContextRef c, CGColorRef color);
void CGContextSetRGBFillColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a);
void CGContextFillRect(CGContextRef c, CGRect rect);
void CGContextFillEllipseInRect(CGContextRef c, CGRect rect);
// Fills the current path (non-zero winding) and empties it.
void CGContextFillPath(CGContextRef c);
// Draws the picture upright, stretched into the rectangle.
void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image);

// Mutable paths.
struct CGPath;
using CGMutablePathRef = CGPath*;
using CGPathRef = const CGPath*;
CGMutablePathRef CGPathCreateMutable();
void CGPathRelease(CGPathRef path);
struct CGAffineTransform {
  CGFloat a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};
void CGPathMoveToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat x, CGFloat y);
void CGPathAddLineToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat x, CGFloat y);
void CGPathAddQuadCurveToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat cpx,
                               CGFloat cpy, CGFloat x, CGFloat y);
void CGPathCloseSubpath(CGMutablePathRef path);
bool CGPathIsEmpty(CGPathRef path);
CGPoint CGPathGetCurrentPoint(CGPathRef path);
CGRect CGPathGetBoundingBox(CGPathRef path);
// Whether the point lies inside the path (non-zero winding, or even-odd).
bool CGPathContainsPoint(CGPathRef path, const CGAffineTransform* m, CGPoint point, bool eoFill);
void CGContextAddPath(CGContextRef c, CGPathRef path);

// Internal to the platform: a context over a new surface of whole pixels, with the point-to-pixel
// scale applied.
CGContextRef CGContextCreateForImage(size_t pixelWidth, size_t pixelHeight, CGFloat scale);
