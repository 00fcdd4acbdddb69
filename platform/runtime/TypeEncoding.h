// Reading the platform's method type encodings ("v@:@", "{CGSize=dd}24@0:8"): enough to tell how
// many arguments a method's types describe, so that a method is never registered with types
// that disagree with its selector.
#pragma once

#include <cstddef>
#include <optional>

// The number of arguments after the return type, self and _cmd; nullopt when the string is not
// a whole encoding or lacks any of those three.
std::optional<std::size_t> typeEncodingArgumentCount(const char* types);

// The number of arguments a selector names: one per ':'.
std::size_t selectorArgumentCount(const char* selector);
