#include "SimProfiles.h"

#include <cstdio>

namespace simulator {

const std::vector<SimProfile>& simProfiles() {
  static const std::vector<SimProfile> profiles = {
      {"ios9-iphone6", "iPhone 6", "9.0.2", "iPhone7,2", 375, 667, 2, false},
      {"ios9-iphone6plus", "iPhone 6 Plus", "9.0.2", "iPhone7,1", 414, 736, 3, false},
      {"ios8-iphone5s", "iPhone 5s", "8.4", "iPhone6,1", 320, 568, 2, false},
      {"ios7-iphone4s", "iPhone 4s", "7.1.2", "iPhone4,1", 320, 480, 2, false},
      {"ios9-rtl", "iPhone 6", "9.0.2", "iPhone7,2", 375, 667, 2, true},
  };
  return profiles;
}

const SimProfile* findSimProfile(const std::string& name) {
  for (const SimProfile& profile : simProfiles()) {
    if (profile.name == name) return &profile;
  }
  return nullptr;
}

std::string describeProfile(const SimProfile& profile) {
  char text[200];
  std::snprintf(text, sizeof text, "%s (%s), iOS %s, %g \u00d7 %g pt @%gx%s", profile.model.c_str(),
                profile.machine.c_str(), profile.version.c_str(), profile.width, profile.height,
                profile.scale, profile.rightToLeft ? ", right to left" : "");
  return text;
}

}  // namespace simulator
