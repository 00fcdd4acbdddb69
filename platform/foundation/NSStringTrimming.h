// stringByTrimmingCharactersInSet: with whitespaceAndNewlineCharacterSet, the only set the add-on
// trims with: every Unicode White_Space character (no-break space, next line, line and paragraph
// separators included), not ASCII blanks alone.
#pragma once

#include <string>

// The UTF-8 text without white space or newlines at either end. Bytes that are not UTF-8 are
// kept as they are.
std::string stringByTrimmingWhitespaceAndNewlines(const std::string& text);
