// The index page of a simulator run: every screen side by side with its caption, grouped by
// phone and scene, with the failing ones marked.
#pragma once

#include <string>
#include <vector>

#include "SimProfiles.h"
#include "SimStage.h"

namespace simulator {

struct ShownShot {
  SimShot shot;
  std::string difference;  // set when --check found it different from its reference
  bool hasDiffImage = false;
};

// A scene on one phone: its screens (with the add-on on, then off) and what went wrong.
struct ShownScene {
  std::string name;
  std::vector<ShownShot> shots;
  std::vector<std::string> failures;
};

struct ShownProfile {
  SimProfile profile;
  std::vector<ShownScene> scenes;
  std::string deviceFailure;
  bool hasMailedMessage = false;
};

struct PageSummary {
  std::string headline;  // "180 screens of 22 scenes on 5 phones in 24.1 s"
  bool checked = false;
  std::string checkedAgainst;
};

// Writes OUT/index.html; the screens are referred to as screens/PROFILE/NAME.png.
bool writeIndexPage(const std::string& out, const std::vector<ShownProfile>& profiles,
                    const PageSummary& summary, std::string* error);

}  // namespace simulator
