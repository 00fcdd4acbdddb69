// libFuzzer target of the property-list reader: any bytes it accepts must write in both formats
// and read back as the same tree, less what the XML format cannot carry.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "PropertyListEquality.h"
#include "foundation/PropertyList.h"
#include "fuzz/XmlCarries.h"

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail = "") {
  std::fprintf(stderr, "%s %s\n", what, detail.c_str());
  std::abort();
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
