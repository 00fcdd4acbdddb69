// libFuzzer target of the live simulator's request bodies: any bytes, sent as JSON, give either
// a reason to refuse or a request within the limits, never an action line that holds a line break
// (which would hand a host a second line), and never an exception.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "LiveRequests.h"

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s %s\n", what, detail.c_str());
  std::abort();
}

bool oneLine(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string body(reinterpret_cast<const char*>(data), size);
  live::ActionRequest action = live::readActionRequest("application/json", body);
  if (action.error.empty()) {
    if (!action.process) fail("an accepted action names no process:", body);
    if (action.line.size() > live::kMostActionBytes || !oneLine(action.line)) {
      fail("an accepted action line is too long or not one line:", action.line);
    }
  }
  live::PhoneRequest phone = live::readPhoneRequest("application/json", body);
  if (phone.error.empty() != (phone.profile != nullptr)) fail("a phone request half read:", body);
  live::NameRequest name = live::readNameRequest("application/json", body);
  if (name.error.empty() &&
      (name.first.size() > live::kMostNameBytes || name.last.size() > live::kMostNameBytes ||
       !oneLine(name.first + name.last))) {
    fail("an accepted name is too long or holds a control character:", body);
  }
  // An error message quotes at most a few dozen bytes of what was sent.
  if (action.error.size() > 200 || phone.error.size() > 200 || name.error.size() > 200) {
    fail("an error message quotes too much:", action.error + phone.error + name.error);
  }
  return 0;
}
