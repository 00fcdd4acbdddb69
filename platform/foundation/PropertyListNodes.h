// Exact dates and integers on libplist 2.2 nodes. A node keeps a date as a double and an
// integer's signedness in its width, but libplist's getters and constructors carry only int32
// seconds and signed integers. A one-object binary list carries both exactly, so these go
// through one.
#pragma once

#include <plist/plist.h>

#include <cstdint>

namespace plist_nodes {

// Seconds since 1 January 2001, fractions included.
double dateValue(plist_t date);
plist_t newDate(double secondsSinceReferenceDate);
// Whether an integer node holds an unsigned value (one above INT64_MAX) rather than a negative.
bool isUnsigned(plist_t integer);
plist_t newUnsigned(uint64_t value);

}  // namespace plist_nodes
