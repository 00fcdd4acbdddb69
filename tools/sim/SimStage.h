// What a scene can do on the device of one profile: run the host processes with actions, start
// one that runs beside the scene, run the talvocb tool as another process, and record screens.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "SimCast.h"
#include "SimProcess.h"
#include "SimProfiles.h"

namespace simulator {

// The programs the simulator runs: the talvocb tool and the host program.
class SimForkServer;
struct SimTools {
  std::string tool;
  std::string host;
  SimForkServer* forks = nullptr;  // starts the hosts when there is one
};

// A host process: its name on the page and its bundle identifier.
struct SimHost {
  const char* name;
  const char* bundleIdentifier;
};
inline constexpr SimHost kSpringBoard{"SpringBoard", "com.apple.springboard"};
inline constexpr SimHost kViewService{"CallBar's view service", "net.dravell.callbarviewservice"};
inline constexpr SimHost kSettings{"Settings", "com.apple.Preferences"};
inline constexpr SimHost kContacts{"Contacts", "com.apple.MobileAddressBook"};

// A screen a scene recorded: screens/PROFILE/NAME.png with its view tree NAME.json.
struct SimShot {
  std::string name;
  std::string caption;   // what happened
  std::string switches;  // which of the add-on's switches were on
  std::string host;      // the process that showed it
};

// A scene that cannot go on: a host failed, hung or did not show its screen.
struct SceneFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class SimStage {
 public:
  SimStage(const SimTools& tools, const SimProfile& profile, const SimCast& cast,
           std::string device, std::string screens, std::string errorFile, bool addOnOff,
           Clock::time_point deadline);

  bool addOnOff() const { return addOnOff_; }
  const SimProfile& profile() const { return profile_; }
  const std::string& device() const { return device_; }
  const std::string& screens() const { return screens_; }
  // Who plays the scene on this device; a cast that could not be read fails the scene.
  const SimCast& cast() const;
  // The cast's people: a book that cannot be read fails the scene.
  const SimCast& book() const;
  // The person of a role; a role the device cannot fill skips the scene (SceneSkipped).
  const SimPerson& person(SimRole role) const;
  // A number that is on no card of the device.
  const std::string& stranger() const;
  // The switches as the scene started them: all on, or all but the master switch.
  std::string startingSwitches() const;

  // The actions that record the frontmost screen as a shot named `base` (with "-off" added
  // when the add-on is off), after the screen has settled: its PNG, its thumbnail and its view
  // tree.
  std::vector<std::string> record(const std::string& base, const SimHost& host,
                                  const std::string& caption, const std::string& switches = "");
  // Runs a host to its end with the actions; answers its output lines.
  std::vector<std::string> run(const SimHost& host, const std::vector<std::string>& actions);
  // Starts a host that runs beside the scene.
  std::unique_ptr<SimProcess> start(const SimHost& host, const std::vector<std::string>& actions);
  // Waits for a line of a started host, and for its good end.
  void waitFor(SimProcess& process, const SimHost& host, const std::string& line);
  void finish(SimProcess& process, const SimHost& host);
  // Runs the talvocb tool on the device, as another process of the phone would change it.
  void runTool(const std::vector<std::string>& arguments);

  const std::vector<SimShot>& shots() const { return shots_; }

 private:
  SimTools tools_;
  SimProfile profile_;
  const SimCast& cast_;
  std::string device_, screens_, errorFile_;
  bool addOnOff_;
  Clock::time_point deadline_;
  std::vector<SimShot> shots_;
};

// The host's actions that record its frontmost screen once it has settled: STEM.png, with
// STEM.thumb.jpg beside it when `thumbnailWidth` is set, and its view tree STEM.json. The paths
// are quoted, for an output folder whose name has spaces.
std::vector<std::string> screenRecordingActions(const std::string& stem, int thumbnailWidth = 0);

// The scenes' settings file: all seven switches on, or the master switch alone off.
bool writeStartingSettings(const std::string& device, bool addOnOff, std::string* error);

}  // namespace simulator
