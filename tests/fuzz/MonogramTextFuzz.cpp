// libFuzzer target of the name rule: any bytes as a contact's name give monogram text that is
// UTF-8 and no longer than the name's own letters allow, and that text draws as a monogram.
#include <unicode/utf8.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "TalvoCBUtils+MonogramText.h"
#include "TalvoCBUtils+Monograms.h"
#include "TalvoCBUtils+MonogramsInternal.h"
#include "fuzz/FuzzDevice.h"
#include "uikit/UIImage.h"

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s %s\n", what, detail.c_str());
  std::abort();
}

bool isUtf8(const std::string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  int32_t length = static_cast<int32_t>(text.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  FuzzDevice::shared();
  std::string name(reinterpret_cast<const char*>(data), size);
  auto text = TalvoCBUtils::monogramTextFromName(name);
  if (!text) fail("a name gave no text:", name);
  if (!isUtf8(*text)) fail("monogram text is not UTF-8:", *text);
  // Each byte read as at most one replacement character, three bytes long.
  if (text->size() > 3 * size) fail("monogram text longer than its name:", *text);
  auto picture = TalvoCBUtils::monogramImage(text, 7, CGSizeMake(40, 40));
  if (!text->empty() && !picture) fail("monogram text that does not draw:", *text);
  return 0;
}
