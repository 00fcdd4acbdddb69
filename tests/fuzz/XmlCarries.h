// What an XML property list keeps of a tree, for comparing a tree with its XML round trip.
#pragma once

#include <cmath>
#include <cstdint>

#include "foundation/NSValueTypes.h"

// What an XML round trip makes of a tree: dates in whole seconds, a zero without its sign, and
// a dictionary of the one key CF$UID, which is how XML writes a UID, a UID.
inline id asXmlCarriesIt(const id& obj) {
  if (auto number = cast<NSNumber>(obj)) {
    auto* d = std::get_if<double>(&number->value);
    return d && *d == 0 ? NSNumber::numberWithDouble(0.0) : obj;
  }
  if (auto date = cast<NSDate>(obj))
    return make<NSDate>(std::trunc(date->seconds) + 0.0);  // -0.5 reads back as +0
  if (auto array = cast<NSArray>(obj)) {
    auto copy = make<NSArray>();
    for (const id& item : array->items) copy->items.push_back(asXmlCarriesIt(item));
    return copy;
  }
  if (auto dict = cast<NSDictionary>(obj)) {
    auto uid = cast<NSNumber>(dict->objectForKey("CF$UID"));
    if (dict->count() == 1 && uid && !uid->isBool() &&
        !std::holds_alternative<double>(uid->value)) {
      int64_t value = uid->integerValue();  // an unsigned value above INT64_MAX reads negative
      if (value >= 0 && value <= int64_t{UINT32_MAX}) return make<CFKeyedArchiverUID>(value);
    }
    auto copy = make<NSDictionary>();
    for (const auto& [key, value] : dict->entries) copy->setObject(asXmlCarriesIt(value), key);
    return copy;
  }
  return obj;
}
