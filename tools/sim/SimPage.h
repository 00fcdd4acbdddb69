// The index page of a simulator run: every screen side by side with its caption, grouped by
// phone and scene, with the failing ones marked.
#pragma once

#include <string>
#include <vector>

#include "SimCompare.h"
#include "SimProfiles.h"
#include "SimStage.h"

namespace simulator {

struct ShownShot {
  SimShot shot;
  std::string difference;  // set when --check found it different from its reference
  bool hasDiffImage = false;
  bool hasThumbnail = false;  // NAME.thumb.jpg beside the screen
  // Where the screen and its twin with the add-on on or off differ.
  std::vector<ScreenRegion> changes;
};

// The page shows a screen this many CSS pixels wide per point; its thumbnail has twice as many
// pixels, for sharp thumbnails on screens of two pixels a CSS pixel.
inline constexpr double kThumbnailPerPoint = 0.45;
inline int thumbnailPixelWidth(const SimProfile& profile) {
  return static_cast<int>(profile.width * kThumbnailPerPoint * 2 + 0.5);
}

// A scene on one phone: its screens (with the add-on on, then off) and what went wrong.
struct ShownScene {
  std::string name;
  std::vector<ShownShot> shots;
  std::vector<std::string> failures;
  std::vector<std::string> notes;  // why it was not played here ("no such contact on this device")
};

struct ShownProfile {
  SimProfile profile;
  std::vector<ShownScene> scenes;
  std::string deviceFailure;
  bool hasMailedMessage = false;
};

struct PageSummary {
  double seconds = 0;  // how long the run took
  bool checked = false;
  std::string checkedAgainst;
};

// Writes OUT/index.html, every phone one after another, and OUT/scene-NAME.html for each scene,
// every phone side by side; the screens are referred to as screens/PROFILE/NAME.png, shown as
// their thumbnails.
bool writeIndexPage(const std::string& out, const std::vector<ShownProfile>& profiles,
                    const PageSummary& summary, std::string* error);

}  // namespace simulator
