// The text tables of bundles (".strings" files): a property-list dictionary, or the old form of
// lines "key" = "value"; with comments.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The table in the bytes; nothing when they are neither form, or the old form is broken anywhere
// (a half-read table would answer some keys and silently not others).
std::optional<std::map<std::string, std::string>> parseStringsFile(
    const std::vector<uint8_t>& bytes);
