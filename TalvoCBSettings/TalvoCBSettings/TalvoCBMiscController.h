// The pane's second page: mails the add-on's log file, with the device's identifiers in the body,
// to the maker's support.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "preferences/PSListController.h"

class TalvoCBMiscController : public PSListController {
 public:
  static Class class_();

  // The mail's HTML body: each text escaped, its lines kept as line breaks. When the attached log
  // is only the end of the file, the body says how many bytes of its start were left out.
  static std::string mailBody(const std::string& serialNumber, const std::string& model,
                              const std::string& systemVersion, const std::string& identifier,
                              const std::optional<std::string>& footer,
                              uint64_t logBytesLeftOut = 0);

 protected:
  friend struct objc_alloc;
  explicit TalvoCBMiscController(Class cls) : PSListController(cls) {}
};

// The log file the hook module writes in SpringBoard and CallBar's view service.
inline constexpr const char* kTalvoCBLogFile = "/tmp/quorvik.log";
