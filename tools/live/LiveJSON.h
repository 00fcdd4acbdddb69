// JSON for the live simulator's API, read and written with nlohmann's library.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace live {

using nlohmann::json;

// The text of a value; bytes that are not UTF-8 (a host's output may hold any) become U+FFFD
// instead of failing the answer.
inline std::string jsonText(const json& value) {
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace live
