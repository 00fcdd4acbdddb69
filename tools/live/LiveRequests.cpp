#include "LiveRequests.h"

#include "LiveJSON.h"

namespace live {

namespace {
// The JSON object of a body sent as JSON, or why there is none. Sent as anything else, a
// browser would let another site's page send it without asking the server first.
json readObject(const std::string& contentType, const std::string& body, std::string* error) {
  if (contentType.rfind("application/json", 0) != 0) {
    *error = "the body must be JSON, sent as application/json";
    return nullptr;
  }
  json value = json::parse(body, nullptr, false);
  if (value.is_discarded()) {
    *error = "the body is not JSON";
  } else if (!value.is_object()) {
    *error = "the body must be a JSON object";
  }
  return value;
}

// The text of a field that must be a string, or why it is not.
std::string field(const json& object, const char* name, std::string* error) {
  auto found = object.find(name);
  if (found == object.end() || !found->is_string()) {
    if (error->empty()) *error = std::string("\"") + name + "\" must be a string";
    return {};
  }
  return found->get<std::string>();
}

bool hasControlCharacters(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) return true;
  }
  return false;
}
}  // namespace

std::string quotedWord(const std::string& word) {
  constexpr std::size_t kShown = 40;
  if (word.size() <= kShown) return "'" + word + "'";
  std::size_t cut = kShown;
  while (cut > 0 && (static_cast<unsigned char>(word[cut]) & 0xC0) == 0x80) --cut;  // UTF-8
  return "'" + word.substr(0, cut) + "...'";
}

ActionRequest readActionRequest(const std::string& contentType, const std::string& body) {
  ActionRequest request;
  json object = readObject(contentType, body, &request.error);
  if (!request.error.empty()) return request;
  std::string key = field(object, "process", &request.error);
  request.line = field(object, "action", &request.error);
  if (!request.error.empty()) return request;
  request.process = findLiveProcess(key);
  if (!request.process) {
    request.error =
        "no process " + quotedWord(key) + " (springboard, viewservice, settings or contacts)";
  } else if (request.line.find_first_not_of(" \t") == std::string::npos) {
    request.error = "the action is empty";
  } else if (request.line.size() > kMostActionBytes) {
    request.error = "the action is longer than " + std::to_string(kMostActionBytes) + " bytes";
  } else if (hasControlCharacters(request.line)) {
    // A line break would hand the host a second line.
    request.error = "the action holds a line break or another control character";
  }
  return request;
}

PhoneRequest readPhoneRequest(const std::string& contentType, const std::string& body) {
  PhoneRequest request;
  json object = readObject(contentType, body, &request.error);
  if (!request.error.empty()) return request;
  std::string name = field(object, "profile", &request.error);
  if (!request.error.empty()) return request;
  request.profile = simulator::findSimProfile(name);
  if (!request.profile) request.error = "no phone " + quotedWord(name);
  return request;
}

NameRequest readNameRequest(const std::string& contentType, const std::string& body) {
  NameRequest request;
  json object = readObject(contentType, body, &request.error);
  if (!request.error.empty()) return request;
  request.first = field(object, "first", &request.error);
  request.last = field(object, "last", &request.error);
  if (!request.error.empty()) return request;
  if (request.first.size() > kMostNameBytes || request.last.size() > kMostNameBytes) {
    request.error = "a name is longer than " + std::to_string(kMostNameBytes) + " bytes";
  } else if (hasControlCharacters(request.first + request.last)) {
    request.error = "a name holds a control character";
  }
  return request;
}

std::string photoRequestError(const std::string& contentType, const std::string& body) {
  if (contentType != "image/png" && contentType != "image/jpeg") {
    return "the photo must be sent as image/png or image/jpeg";
  }
  return body.empty() ? "the photo is empty" : "";
}

std::string requestOriginError(const std::string& host, const std::string& origin, int port) {
  std::string suffix = ":" + std::to_string(port);
  bool hostIsOurs = host == "127.0.0.1" + suffix || host == "localhost" + suffix;
  if (!hostIsOurs) return "the Host header " + quotedWord(host) + " is not this server's";
  if (!origin.empty() && origin != "http://" + host) {
    return "requests from the page of " + quotedWord(origin) + " are not served";
  }
  return "";
}

}  // namespace live
