// What the live simulator's API takes, read and checked before anything is done with it: every
// malformed request gets its reason, nothing else.
#pragma once

#include <string>

#include "LiveProcesses.h"
#include "SimProfiles.h"

namespace live {

// The longest action line the API passes on; no host action needs more.
inline constexpr std::size_t kMostActionBytes = 4096;
// The longest first or last name an edit takes.
inline constexpr std::size_t kMostNameBytes = 256;

// POST /api/do: {"process": KEY, "action": LINE}.
struct ActionRequest {
  const LiveProcess* process = nullptr;
  std::string line;
  std::string error;  // why the request is refused; empty when it is good
};
ActionRequest readActionRequest(const std::string& contentType, const std::string& body);

// POST /api/phone: {"profile": NAME}.
struct PhoneRequest {
  const simulator::SimProfile* profile = nullptr;
  std::string error;
};
PhoneRequest readPhoneRequest(const std::string& contentType, const std::string& body);

// POST /api/contact/ID/name: {"first": TEXT, "last": TEXT}.
struct NameRequest {
  std::string first, last, error;
};
NameRequest readNameRequest(const std::string& contentType, const std::string& body);

// POST /api/contact/ID/photo: a PNG or JPEG picture as the body; why it is refused, or empty.
std::string photoRequestError(const std::string& contentType, const std::string& body);

// Why a request that names this Host and Origin is refused, or empty: only the page served from
// 127.0.0.1 or localhost at `port` may send requests.
std::string requestOriginError(const std::string& host, const std::string& origin, int port);

// A word of a request for an error message: quoted, and a few dozen bytes at most.
std::string quotedWord(const std::string& word);

}  // namespace live
