// CallBar's files on the sample device: favourites from the hand-picked book and a call history
// that holds every kind of caller and call record the package keeps. Dates are fixed.
#pragma once

#include <string>

#include "SampleDevice.h"

namespace sample {

bool writeCallBarFiles(const std::string& root, SampleReport* report, std::string* error);

}  // namespace sample
