// The phones the simulator plays its scenes on: the models and system versions the add-on serves.
#pragma once

#include <string>
#include <vector>

namespace simulator {

struct SimProfile {
  std::string name;  // as --profile takes it
  std::string model;
  std::string version;
  std::string machine;
  double width = 0, height = 0, scale = 1;
  bool rightToLeft = false;
};

const std::vector<SimProfile>& simProfiles();
const SimProfile* findSimProfile(const std::string& name);
// "iPhone 6 (iPhone7,2), iOS 9.0.2, 375 × 667 pt @2x", with ", right to left" where it applies.
std::string describeProfile(const SimProfile& profile);

}  // namespace simulator
