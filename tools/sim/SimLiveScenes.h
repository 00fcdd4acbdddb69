// Scenes in which another process changes the device while SpringBoard runs: a switch turned off
// in Settings, a contact's photo changed; and the mailed log kept beside its screen.
#pragma once

#include <string>
#include <vector>

#include "SimScenes.h"

namespace simulator {

// switch-KEY-off for each of the seven settings keys.
std::vector<SimScene> switchScenes();
// photo-changed: the Contacts list in SpringBoard, then a photo given to a contact without one.
void photoChanged(SimStage& stage);
// Copies the message the pane put in the outbox next to the screens, as mail-log.eml.
void keepMailedMessage(SimStage& stage, const std::string& path);

}  // namespace simulator
