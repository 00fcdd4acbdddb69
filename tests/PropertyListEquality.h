// Whether two property-list trees are the same value by value and type: a boolean is no
// integer, 0.0 is not -0.0, NaN is NaN, and a signed and an unsigned integer of one value match.
#pragma once

#include <cmath>
#include <cstring>

#include "foundation/NSValueTypes.h"

inline bool identicalReals(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return a == b && std::signbit(a) == std::signbit(b);
}

inline bool identicalPropertyLists(const id& a, const id& b) {
  if (!a || !b) return !a && !b;
  if (auto x = cast<NSNumber>(a)) {
    auto y = cast<NSNumber>(b);
    if (!y || x->isBool() != y->isBool()) return false;
    bool xReal = std::holds_alternative<double>(x->value);
    bool yReal = std::holds_alternative<double>(y->value);
    if (xReal || yReal) return xReal && yReal && identicalReals(x->doubleValue(), y->doubleValue());
    return x->isEqual(*y);
  }
  if (auto x = cast<NSDate>(a)) {
    auto y = cast<NSDate>(b);
    return y && identicalReals(x->seconds, y->seconds);
  }
  if (auto x = cast<NSArray>(a)) {
    auto y = cast<NSArray>(b);
    if (!y || x->items.size() != y->items.size()) return false;
    for (std::size_t i = 0; i < x->items.size(); ++i) {
      if (!identicalPropertyLists(x->items[i], y->items[i])) return false;
    }
    return true;
  }
  if (auto x = cast<NSDictionary>(a)) {
    auto y = cast<NSDictionary>(b);
    if (!y || x->entries.size() != y->entries.size()) return false;
    for (const auto& [key, value] : x->entries) {
      if (!identicalPropertyLists(value, y->objectForKey(key))) return false;
    }
    return true;
  }
  // Strings, data and UIDs have value equality of their own.
  return a->isa() == b->isa() && a->isEqual(*b);
}
