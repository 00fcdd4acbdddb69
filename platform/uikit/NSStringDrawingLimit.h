// How much of a text the string drawing shapes. A label shows a few dozen characters, while
// pango's time grows far faster than the text (a letter carrying tens of thousands of combining
// marks takes seconds), so text is cut before it is shaped.
#pragma once

#include <cstddef>
#include <string_view>

// User-perceived characters (grapheme clusters) shaped at most.
constexpr std::size_t kNSStringDrawingMaxClusters = 256;
// Bytes shaped at most, which also cuts a single cluster of endless combining marks.
constexpr std::size_t kNSStringDrawingMaxBytes = 1024;

// The leading part of the text that is shaped: at most kNSStringDrawingMaxClusters clusters and
// kNSStringDrawingMaxBytes bytes, never ending inside a UTF-8 character, and inside a cluster
// only when the first cluster alone is over the byte limit.
std::string_view NSStringDrawnPrefix(std::string_view text);
