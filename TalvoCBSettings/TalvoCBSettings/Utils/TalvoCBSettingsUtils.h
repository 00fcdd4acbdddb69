// The pane's questions outside the Preferences framework: the device model, and whether the
// add-on is on according to the settings file on disk (read afresh, not the shared settings).
#pragma once

#include <string>

class TalvoCBSettingsUtils {
 public:
  // "hw.machine", such as "iPhone7,2".
  static std::string platform();
  // platform(), except "iPod" and "iPad" for any of those.
  static std::string platformString();
  // "TalvoCBEnabled" of the settings file; a missing file or entry reads as off.
  static bool isTalvoCBOn();
  static bool isIOS_7();
  static bool isIOS_8();
};
