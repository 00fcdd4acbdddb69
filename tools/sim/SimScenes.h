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
  // Asked for on the command line (a call from a party): played whatever --scene chooses.
  bool asked = false;
};

// Every scene, in the order they are played on a profile. A scene that changes the address book
// comes last, so that the others show the device as it was written.
const std::vector<SimScene>& simScenes();
const SimScene* findSimScene(const std::string& name);

// The scenes of a run: every scene, and a call from each party asked for (`sim --call`, each
// looked up in the cast by its place in `parties`), named call-PARTY, after the other calls.
std::vector<SimScene> runScenes(const std::vector<std::string>& parties);

}  // namespace simulator
