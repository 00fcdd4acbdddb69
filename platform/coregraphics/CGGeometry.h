// CoreGraphics geometry.
#pragma once

using CGFloat = double;

struct CGPoint {
  CGFloat x = 0, y = 0;
};
struct CGSize {
  CGFloat width = 0, height = 0;
};
struct CGRect {
  CGPoint origin;
  CGSize size;
};

inline CGPoint CGPointMake(CGFloat x, CGFloat y) {
  return {x, y};
}
inline CGSize CGSizeMake(CGFloat w, CGFloat h) {
  return {w, h};
}
inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat w, CGFloat h) {
  return {{x, y}, {w, h}};
}
inline bool operator==(CGSize a, CGSize b) {
  return a.width == b.width && a.height == b.height;
}

inline constexpr CGRect CGRectZero{};
inline CGFloat CGRectGetMaxX(CGRect rect) {
  return rect.origin.x + rect.size.width;
}
