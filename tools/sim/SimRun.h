// A simulator run: the phones prepared, every chosen scene played on each (phones in parallel),
// the screens checked or recorded, and the index page written.
#pragma once

#include <string>
#include <vector>

#include "SimCompare.h"
#include "SimStage.h"

namespace simulator {

struct SimOptions {
  std::string root;  // an existing device to copy for each phone; the sample device when empty
  std::string out = "build/sim";
  std::vector<std::string> scenes;    // names, NAME-off for the variant alone; all when empty
  std::vector<std::string> profiles;  // all when empty
  std::vector<std::string> calls;     // parties: a call scene from each, played whatever --scene
  std::string check;                  // a folder of reference screens to compare with
  std::string record;                 // a folder to write the screens into as references
  CompareOptions compare;
  unsigned jobs = 0;  // phones played at once; one more than the cores when 0
  double sceneSeconds = 30;
};

// Every scene name --scene takes, the add-on-off variants included, in playing order; with the
// calls from the parties asked for.
std::vector<std::string> simSceneNames(const std::vector<std::string>& calls = {});

// Plays the run and prints a line per scene. Answers the exit status: 0 when every scene played
// (and matched its reference), 1 when one failed or differed, 2 for options that name nothing.
int runSimulator(const SimOptions& options, const SimTools& tools);

}  // namespace simulator
