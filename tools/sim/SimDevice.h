// The device of one phone for the simulator: the sample device written for the phone, or a copy
// of a given device with the phone's profile.
#pragma once

#include <string>

#include "SimProfiles.h"
#include "SimStage.h"

namespace simulator {

// Makes `device` (its parent folders too) from `root`, or the sample when `root` is empty; what
// the programs run for it say on standard error goes to `errors`. Links of `root` that lead out
// of it are left out and named on standard error. False with *failure set when it cannot be made.
bool prepareSimDevice(const SimTools& tools, const SimProfile& phone, const std::string& root,
                      const std::string& device, const std::string& errors, std::string* failure);

}  // namespace simulator
