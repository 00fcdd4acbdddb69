// The pieces of JSON text: strings quoted and escaped, numbers written shortest.
#pragma once

#include <string>

// The text as a JSON string. Control characters are escaped; bytes that are not UTF-8 become
// U+FFFD, so that the result is always valid JSON whatever a label held.
std::string JSONQuoted(const std::string& text);
// Whole numbers without a fraction, others with at most four decimals; null for what JSON cannot
// carry (infinities, not a number).
std::string JSONNumber(double value);
