// libFuzzer target of the property-list reader: any bytes it accepts must write in both formats
// and read back as the same tree, less what the XML format cannot carry.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "PropertyListEquality.h"
#include "foundation/PropertyList.h"

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail = "") {
  std::fprintf(stderr, "%s %s\n", what, detail.c_str());
  std::abort();
}

// What an XML round trip makes of a tree: dates in whole seconds, a zero without its sign, and
// a dictionary of the one key CF$UID, which is how XML writes a UID, a UID.
id asXmlCarriesIt(const id& obj) {
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

}  // namespace

// The runtime registers the platform's classes on the first look-up by name, which the reader
// never makes; the fuzzer is built without the rest of the platform.
void sim_registerPlatformClasses() {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string reason;
  id list = propertyListFromData(std::vector<uint8_t>(data, data + size), &reason);
  if (!list) {
    if (reason.empty()) fail("refused without a reason");
    return 0;
  }
  for (auto format : {NSPropertyListXMLFormat_v1_0, NSPropertyListBinaryFormat_v1_0}) {
    auto written = dataWithPropertyList(list, format, &reason);
    // XML has four-digit years; anything else read must be written.
    if (!written && format == NSPropertyListXMLFormat_v1_0 &&
        reason == "holds a date outside the years 1 to 9999") {
      continue;
    }
    if (!written) fail("a list read cannot be written:", reason);
    id back = propertyListFromData(*written, &reason);
    if (!back) fail("a list written cannot be read:", reason);
    id expected = format == NSPropertyListXMLFormat_v1_0 ? asXmlCarriesIt(list) : list;
    if (!identicalPropertyLists(expected, back)) {
      fail("round trip changed the list:", std::string(written->begin(), written->end()));
    }
  }
  return 0;
}
