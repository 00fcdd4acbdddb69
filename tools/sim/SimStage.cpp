#include "SimStage.h"

#include <iomanip>
#include <sstream>

#include "SimPage.h"
#include "TALCBSettings.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

namespace simulator {

SimStage::SimStage(const SimTools& tools, const SimProfile& profile, const SimCast& cast,
                   std::string device, std::string screens, std::string errorFile, bool addOnOff,
                   Clock::time_point deadline)
    : tools_(tools),
      profile_(profile),
      cast_(cast),
      device_(std::move(device)),
      screens_(std::move(screens)),
      errorFile_(std::move(errorFile)),
      addOnOff_(addOnOff),
      deadline_(deadline) {}

const SimCast& SimStage::cast() const {
  if (!cast_.failure.empty()) throw SceneFailure(cast_.failure);
  return cast_;
}

const SimCast& SimStage::book() const {
  if (!cast().unreadable.empty()) throw SceneFailure(cast_.unreadable);
  return cast_;
}

const SimPerson& SimStage::person(SimRole role) const {
  const auto& person = book().role(role);
  if (!person) {
    throw SceneSkipped(std::string("no such contact on this device: ") + describeRole(role));
  }
  return *person;
}

const std::string& SimStage::stranger() const {
  if (book().stranger.empty()) {
    throw SceneSkipped("no such number on this device: every number tried is on a card");
  }
  return cast_.stranger;
}

std::string SimStage::startingSwitches() const {
  return addOnOff_ ? "all on but TalvoCBEnabled (the add-on off)" : "all on";
}

std::vector<std::string> SimStage::record(const std::string& base, const SimHost& host,
                                          const std::string& caption, const std::string& switches) {
  std::string name = addOnOff_ ? std::string(base).append("-off") : base;
  shots_.push_back({name, caption, switches.empty() ? startingSwitches() : switches, host.name});
  // The host writes the thumbnail from the screen it holds, so that the simulator decodes only
  // the screens it compares.
  return screenRecordingActions(screens_ + "/" + name, thumbnailPixelWidth(profile_));
}

std::vector<std::string> screenRecordingActions(const std::string& stem, int thumbnailWidth) {
  std::ostringstream snapshot, dump;
  snapshot << "snapshot " << std::quoted(stem + ".png");
  if (thumbnailWidth > 0) snapshot << " thumbnail=" << thumbnailWidth;
  dump << "dump " << std::quoted(stem + ".json");
  return {"wait-idle", snapshot.str(), dump.str()};
}

std::unique_ptr<SimProcess> SimStage::start(const SimHost& host,
                                            const std::vector<std::string>& actions) {
  std::vector<std::string> argv = {tools_.host, "--root", device_, "--bundle-id",
                                   host.bundleIdentifier};
  for (const std::string& action : actions) {
    argv.push_back("--do");
    argv.push_back(action);
  }
  auto process =
      std::make_unique<SimProcess>(argv, errorFile_, SimProcess::Input::Empty, tools_.forks);
  if (!process->started()) throw SceneFailure(tools_.host + " cannot be started");
  return process;
}

void SimStage::waitFor(SimProcess& process, const SimHost& host, const std::string& line) {
  if (process.waitForLine(line, deadline_)) return;
  if (Clock::now() >= deadline_) {
    throw SceneFailure(std::string(host.name) + " hung: no \"" + line + "\" within the time limit");
  }
  finish(process, host);
  throw SceneFailure(std::string(host.name) + " ended before it printed \"" + line + "\"");
}

void SimStage::finish(SimProcess& process, const SimHost& host) {
  std::optional<int> status = process.finish(deadline_);
  if (!status) throw SceneFailure(std::string(host.name) + " hung and was killed");
  for (const std::string& line : process.lines()) {
    if (line.rfind("timeout ", 0) == 0) {
      throw SceneFailure(std::string(host.name) + " waited in vain: " + line);
    }
  }
  if (*status != 0) {
    throw SceneFailure(std::string(host.name) + " failed with exit status " +
                       std::to_string(*status) + ": " + process.lastErrorLines(2));
  }
}

std::vector<std::string> SimStage::run(const SimHost& host,
                                       const std::vector<std::string>& actions) {
  auto process = start(host, actions);
  finish(*process, host);
  return process->lines();
}

void SimStage::runTool(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv = {tools_.tool, "--root", device_};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  SimProcess process(argv, errorFile_);
  std::optional<int> status = process.finish(deadline_);
  if (status != 0) {
    throw SceneFailure("talvocb " + arguments.at(0) + " failed: " + process.lastErrorLines(1));
  }
}

bool writeStartingSettings(const std::string& device, bool addOnOff, std::string* error) {
  std::string path = device + "/private/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist";
  auto settings = make<NSDictionary>();
  for (const char* key : TalvoCBSettingsFile::kKeys) {
    bool on = !(addOnOff && std::string(key) == "TalvoCBEnabled");
    settings->setObject(NSNumber::numberWithBool(on), key);
  }
  std::string reason;
  auto bytes = dataWithPropertyList(settings, NSPropertyListXMLFormat_v1_0, &reason);
  // Whole, so that no reader ever sees half a file; each scene writes it again.
  if (!bytes || !writeRealFileWhole(path, *bytes, &reason)) {
    *error = path + ": " + reason;
    return false;
  }
  return true;
}

}  // namespace simulator
