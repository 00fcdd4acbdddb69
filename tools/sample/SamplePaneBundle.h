// The settings pane's module and resources, copied from the build into a device's bundle folder.
#pragma once

#include <string>

namespace sample {

// Copies build/TalvoCBSettings.bundle (found beside the running program's bin folder) into the
// device; answers false, saying why, when the build has no pane or a copy fails.
bool installPaneBundle(const std::string& root, std::string* error);

}  // namespace sample
