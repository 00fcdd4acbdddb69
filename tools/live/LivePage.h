// The live simulator's page: plain HTML, CSS and JavaScript files, compiled into the program.
#pragma once

#include <string>

namespace live {

// The file of the page at a path ("/", "/live.js", "/live.css") and its content type; false for
// any other path.
bool livePageFile(const std::string& path, std::string* body, std::string* contentType);

}  // namespace live
