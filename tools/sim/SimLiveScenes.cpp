#include "SimLiveScenes.h"

#include <filesystem>
#include <fstream>

#include "SamplePictures.h"
#include "foundation/DeviceFiles.h"
#include "foundation/PropertyList.h"

namespace simulator {

namespace {
constexpr const char* kWaitForSettings = "settings-changed 10000";
constexpr const char* kAddressBookChanged = "__ABDataBaseChangedByOtherProcessNotification";
// Stands for a call from the device's caller (a person with a photo where it has one) in the
// scripts below, and for that caller's name in what they show.
constexpr const char* kCallTheCaller = "call CALLER";
constexpr const char* kCaller = "CALLER";

// What SpringBoard shows before a switch is turned off, and does after it.
struct SwitchScreen {
  const char* key;
  std::vector<std::string> before;
  std::vector<std::string> after;
  const char* shows;
};

// A switch screen as this device plays it.
struct PlayedSwitch {
  std::vector<std::string> before, after;
  std::string shows;
};

const std::vector<SwitchScreen>& switchScreens() {
  // Where a switch changes one place of several, SpringBoard shows the others too, so that the
  // screen shows what the switch leaves alone as well as what it changes.
  static const std::vector<SwitchScreen> screens = {
      {"TalvoCBEnabled",
       {"favorites", "recents"},
       {kCallTheCaller},
       "the favourites and the recent calls in CallBar's own look, and the next call, from "
       "CALLER, with CallBar's own picture"},
      {"TalvoCBEnabledRoundedPictures", {"favorites"}, {}, "the favourites, redrawn"},
      {"TalvoCBEnabledMonogramPictures", {"recents"}, {}, "the recent calls, reloaded"},
      {"TalvoCBEnabledFavorites",
       {kCallTheCaller, "favorites", "recents"},
       {},
       "the favourites redrawn in CallBar's own look; the call's picture and the recent calls "
       "keep the add-on's"},
      {"TalvoCBEnabledPhone",
       {"favorites", "recents"},
       {kCallTheCaller},
       "the next call, from CALLER: CallBar fills its picture view first, and the "
       "add-on's picture, which follows the Recents switch, still replaces it"},
      {"TalvoCBEnabledRecents",
       {kCallTheCaller, "favorites", "recents"},
       {},
       "the recent calls reloaded in CallBar's own look; the call's picture and the favourites "
       "keep the add-on's"},
      {"TalvoCBEnabledContacts",
       {"favorites", "contacts"},
       {},
       "the contact list reloaded without the add-on's pictures; the favourites keep theirs"},
  };
  return screens;
}

void append(std::vector<std::string>& to, const std::vector<std::string>& actions) {
  to.insert(to.end(), actions.begin(), actions.end());
}

// The caller of the switch scenes: the first person with a photo, else one with a photo on a
// linked card, else one without.
const SimPerson& switchCaller(SimStage& stage) {
  for (SimRole role : {SimRole::OwnPhoto, SimRole::LinkedPhoto, SimRole::NoPhoto}) {
    if (const auto& person = stage.book().role(role)) return *person;
  }
  throw SceneSkipped("no such contact on this device: a person with a number");
}

// The screen's scripts and words with the device's caller in place of CALLER.
PlayedSwitch playedSwitch(SimStage& stage, const SwitchScreen& screen) {
  PlayedSwitch played{screen.before, screen.after, screen.shows};
  bool calls = false;
  for (auto* actions : {&played.before, &played.after}) {
    for (std::string& action : *actions) {
      if (action != kCallTheCaller) continue;
      calls = true;
      action = "call " + switchCaller(stage).party;
    }
  }
  std::size_t at = played.shows.find(kCaller);
  if (calls && at != std::string::npos) {
    played.shows.replace(at, std::string(kCaller).size(), nameOrParty(switchCaller(stage)));
  }
  return played;
}

// SpringBoard shows its screen and waits; Settings turns the switch off; SpringBoard shows the
// screen the notification changed and waits again; Settings turns the switch back on.
void playSwitch(SimStage& stage, const SwitchScreen& unplayed) {
  const PlayedSwitch screen = playedSwitch(stage, unplayed);
  const std::string key = unplayed.key;
  const std::string name = "switch-" + key + "-off";
  const std::string switches = "all on but " + key;
  std::vector<std::string> paneActions = {"pane", "switch " + key + " off"};
  append(paneActions,
         stage.record(name + "-pane", kSettings, key + " turned off in the pane", switches));

  std::vector<std::string> springBoard = screen.before;
  append(springBoard, {"wait-idle", "ready", kWaitForSettings});
  append(springBoard, screen.after);
  append(
      springBoard,
      stage.record(name, kSpringBoard,
                   "SpringBoard after the notification of " + key + ": " + screen.shows, switches));
  append(springBoard, {"ready", kWaitForSettings});

  auto running = stage.start(kSpringBoard, springBoard);
  stage.waitFor(*running, kSpringBoard, "ready");
  stage.run(kSettings, paneActions);
  stage.waitFor(*running, kSpringBoard, "ready");
  stage.run(kSettings, {"pane", "switch " + key + " on"});
  stage.finish(*running, kSpringBoard);
}
}  // namespace

std::vector<SimScene> switchScenes() {
  std::vector<SimScene> scenes;
  for (const SwitchScreen& screen : switchScreens()) {
    scenes.push_back({std::string("switch-") + screen.key + "-off", false,
                      [&screen](SimStage& stage) { playSwitch(stage, screen); }});
  }
  return scenes;
}

void photoChanged(SimStage& stage) {
  // The new photo: a face drawn for the simulator, given to the first person without one.
  const SimPerson& person = stage.person(SimRole::Photoless);
  const std::string card = std::to_string(person.id);
  const std::string who =
      person.name.empty() ? "card " + card + ", which has no name," : person.name;
  sample::Picture face =
      sample::drawPicture(sample::PictureKind::Face, 240, 240, 77, sample::PictureFormat::JPEG);
  std::string photo = stage.screens() + "/photo-changed-new-photo.jpg";
  std::ofstream(photo, std::ios::binary)
      .write(reinterpret_cast<const char*>(face.bytes.data()),
             static_cast<std::streamsize>(face.bytes.size()));

  // The list is scrolled to the person's row first, as a person would look for it.
  std::vector<std::string> springBoard = {"contacts",
                                          "show-contact " + card,
                                          "wait-idle",
                                          std::string("observe ") + kAddressBookChanged,
                                          "ready",
                                          std::string("wait ") + kAddressBookChanged + " 10000",
                                          "show-contact " + card};
  append(springBoard, stage.record("photo-changed", kSpringBoard,
                                   "Another process gives " + who +
                                       " a photo: SpringBoard's contact list after the address "
                                       "book's change notification, the row with the new photo"));
  auto running = stage.start(kSpringBoard, springBoard);
  stage.waitFor(*running, kSpringBoard, "ready");
  stage.runTool({"addressbook", "set-photo", card, photo});
  stage.finish(*running, kSpringBoard);
}

void keepMailedMessage(SimStage& stage, const std::string& path) {
  // The host names a path on the device: read it there, never through a link out of it.
  std::string why;
  auto message = standin::readFileInside(stage.device(), path, &why);
  if (!message || !writeRealFile(stage.screens() + "/mail-log.eml", *message, true, &why)) {
    throw SceneFailure("the mailed message " + path + " cannot be kept: " + why);
  }
}

}  // namespace simulator
