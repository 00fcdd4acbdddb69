// The bounds a property list must keep before libplist sees it. libplist 2.2 parses binary
// lists and frees every tree recursively, has no depth or size limit of its own, and aborts on
// a NUL inside a string or key; these checks walk the raw bytes without recursion first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plist_limits {

// Containers inside containers; a settings file is one level deep.
inline constexpr std::size_t kMaxDepth = 256;
// Objects of the parsed tree, counted as libplist builds it: a binary list that refers to one
// array from many places gets a copy for each.
inline constexpr std::size_t kMaxObjects = std::size_t{1} << 20;
// The largest property-list file read.
inline constexpr std::size_t kMaxFileBytes = std::size_t{4} << 20;

// Nothing when the bytes may go to libplist; otherwise why not, as a short reason ("nests
// deeper than 256 levels"). Bytes that are no property list at all may pass; libplist says so.
std::optional<std::string> checkPropertyListBytes(const uint8_t* bytes, std::size_t size);

bool isBinaryPropertyList(const uint8_t* bytes, std::size_t size);

// Whether text is well-formed UTF-8: libplist writes other bytes to a binary list as garbled
// UTF-16, and reads a binary "ASCII" string's bytes above 0x7f as they come.
bool isUTF8(std::string_view text);

// "4 MiB", "100 bytes".
std::string describeSize(std::size_t bytes);

}  // namespace plist_limits
