#include "uikit/NSStringDrawingLimit.h"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <algorithm>
#include <memory>

namespace {
bool isContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Building a break iterator costs more than finding the clusters of a label; each thread keeps
// one.
icu::BreakIterator* clusterIterator() {
  thread_local std::unique_ptr<icu::BreakIterator> clusters = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> made(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    return U_SUCCESS(status) ? std::move(made) : nullptr;
  }();
  return clusters.get();
}
}  // namespace

std::string_view NSStringDrawnPrefix(std::string_view text) {
  // So few bytes cannot hold more clusters than the limit.
  if (text.size() <= kNSStringDrawingMaxClusters) return text;

  std::size_t end = std::min(text.size(), kNSStringDrawingMaxBytes);
  bool cutByBytes = end < text.size();
  // Back to the first byte of the character that the limit cuts (a character has at most three
  // continuation bytes; text that is no UTF-8 is left to pango, which shows it as such).
  for (int k = 0; cutByBytes && k < 3 && end > 0 && isContinuationByte(text[end]); ++k) --end;
  std::string_view bounded = text.substr(0, end);

  icu::BreakIterator* clusters = clusterIterator();
  if (!clusters) return bounded;
  UErrorCode status = U_ZERO_ERROR;
  UText* utf8 =
      utext_openUTF8(nullptr, bounded.data(), static_cast<int64_t>(bounded.size()), &status);
  clusters->setText(utf8, status);
  if (U_FAILURE(status)) {
    utext_close(utf8);
    return bounded;
  }
  // Offsets of a UTF-8 text are byte offsets.
  int32_t boundary = clusters->first();
  std::size_t count = 0;
  for (; count < kNSStringDrawingMaxClusters; ++count) {
    int32_t next = clusters->next();
    if (next == icu::BreakIterator::DONE) break;
    boundary = next;
  }
  if (count == kNSStringDrawingMaxClusters) {
    bounded = bounded.substr(0, static_cast<std::size_t>(boundary));
  } else if (cutByBytes) {
    // The last cluster may go on past the cut: leave it out, unless it is the only one.
    int32_t lastStart = clusters->preceding(static_cast<int32_t>(bounded.size()));
    if (lastStart > 0) bounded = bounded.substr(0, static_cast<std::size_t>(lastStart));
  }
  utext_close(utf8);
  return bounded;
}
