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
constexpr const char* kJohnsNumber = "call +1 (555) 010-0100";

// What SpringBoard shows before a switch is turned off, and does after it.
struct SwitchScreen {
  const char* key;
  std::vector<std::string> before;
  std::vector<std::string> after;
  const char* shows;
};

const std::vector<SwitchScreen>& switchScreens() {
  // Where a switch changes one place of several, SpringBoard shows the others too, so that the
  // screen shows what the switch leaves alone as well as what it changes.
  static const std::vector<SwitchScreen> screens = {
      {"TalvoCBEnabled",
       {"favorites", "recents"},
       {kJohnsNumber},
       "the favourites and the recent calls in CallBar's own look, and the next call, from John "
       "Appleseed, with CallBar's own picture"},
      {"TalvoCBEnabledRoundedPictures", {"favorites"}, {}, "the favourites, redrawn"},
      {"TalvoCBEnabledMonogramPictures", {"recents"}, {}, "the recent calls, reloaded"},
      {"TalvoCBEnabledFavorites",
       {kJohnsNumber, "favorites", "recents"},
       {},
       "the favourites redrawn in CallBar's own look; the call's picture and the recent calls "
       "keep the add-on's"},
      {"TalvoCBEnabledPhone",
       {"favorites", "recents"},
       {kJohnsNumber},
       "the next call, from John Appleseed: CallBar fills its picture view first, and the "
       "add-on's picture, which follows the Recents switch, still replaces it"},
      {"TalvoCBEnabledRecents",
       {kJohnsNumber, "favorites", "recents"},
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

// SpringBoard shows its screen and waits; Settings turns the switch off; SpringBoard shows the
// screen the notification changed and waits again; Settings turns the switch back on.
void playSwitch(SimStage& stage, const SwitchScreen& screen) {
  const std::string key = screen.key;
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
  // The new photo: a face drawn for the simulator, given to Anna Haro (card 3), who has none.
  sample::Picture face =
      sample::drawPicture(sample::PictureKind::Face, 240, 240, 77, sample::PictureFormat::JPEG);
  std::string photo = stage.screens() + "/photo-changed-new-photo.jpg";
  std::ofstream(photo, std::ios::binary)
      .write(reinterpret_cast<const char*>(face.bytes.data()),
             static_cast<std::streamsize>(face.bytes.size()));

  // The list is scrolled to her row first, as a person would look for it.
  std::vector<std::string> springBoard = {
      "contacts",      "show-contact 3",
      "wait-idle",     std::string("observe ") + kAddressBookChanged,
      "ready",         std::string("wait ") + kAddressBookChanged + " 10000",
      "show-contact 3"};
  append(springBoard, stage.record("photo-changed", kSpringBoard,
                                   "Another process gives Anna Haro a photo: SpringBoard's "
                                   "contact list after the address book's change notification, "
                                   "her row with the new photo"));
  auto running = stage.start(kSpringBoard, springBoard);
  stage.waitFor(*running, kSpringBoard, "ready");
  stage.runTool({"addressbook", "set-photo", "3", photo});
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
