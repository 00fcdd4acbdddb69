// The scenes the simulator plays: each a short story told by the host processes with the module
// loaded, ending in one or more recorded screens.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "SimStage.h"

namespace simulator {

struct SimScene {
  std::string name;
  // The add-on changes what the scene shows, so it is also played with the add-on switched off.
  bool alsoOff = false;
  std::function<void(SimStage&)> play;
};

// Every scene, in the order they are played on a profile. A scene that changes the address book
// comes last, so that the others show the device as it was written.
const std::vector<SimScene>& simScenes();
const SimScene* findSimScene(const std::string& name);

}  // namespace simulator
