#include "SimScenes.h"

#include "SimLiveScenes.h"

namespace simulator {

namespace {
void append(std::vector<std::string>& to, std::vector<std::string> actions) {
  for (std::string& action : actions) to.push_back(std::move(action));
}

// A scene that one host plays to its end: the actions, then its screen.
std::function<void(SimStage&)> hostScene(const std::string& name, const SimHost& host,
                                         std::vector<std::string> actions, std::string caption,
                                         std::string switches = "") {
  return [name, &host, actions, caption, switches](SimStage& stage) {
    std::vector<std::string> all = actions;
    for (std::string& action : stage.record(name, host, caption, switches)) all.push_back(action);
    stage.run(host, all);
  };
}

SimScene springBoardScene(const std::string& name, std::vector<std::string> actions,
                          const std::string& caption) {
  return {name, true, hostScene(name, kSpringBoard, std::move(actions), caption)};
}

// The pane mails the device's log: the composer as it shows, then the pane once Send was
// tapped; the message in the outbox is kept beside the screens.
void mailLog(SimStage& stage) {
  std::vector<std::string> actions = {"mail-compose"};
  append(actions, stage.record("mail-log", kSettings,
                               "The pane's support page after its mail row was tapped: the "
                               "composer, addressed to support, with the add-on's log attached"));
  actions.push_back("mail-send");
  append(actions, stage.record("mail-log-sent", kSettings,
                               "Send tapped: the log went into the outbox, and the composer "
                               "closed on the pane's support page"));
  for (const std::string& line : stage.run(kSettings, actions)) {
    if (line.rfind("mail: ", 0) == 0) keepMailedMessage(stage, line.substr(6));
  }
}

std::vector<SimScene> makeScenes() {
  std::vector<SimScene> scenes = {
      springBoardScene("call-photo", {"call +1 (555) 010-0100"},
                       "A call from John Appleseed, who has a photo"),
      springBoardScene("call-linked-photo", {"call 555-610-6679"},
                       "A call from David Taylor, whose photo is on his other, linked card. The "
                       "add-on draws every photo at 80 × 80 pixels, stretched whatever its "
                       "proportions, so his tall photo (90 × 160) shows squashed, as it does on "
                       "the phone"),
      springBoardScene("call-monogram", {"call 555-522-8243"},
                       "A call from Anna Haro, who has no photo: her monogram"),
      springBoardScene("call-unknown", {"call +1 555 867 5309 at 4242"},
                       "A call from a number that is in no card"),
      // With the add-on off CallBar shows the second call's picture: call-photo-off's screen.
      {"call-two", false,
       hostScene("call-two", kSpringBoard, {"call 555-522-8243", "call +1 (555) 010-0100"},
                 "Two calls at once, Anna Haro's and then John Appleseed's: the picture stays "
                 "that of the first call (without the add-on CallBar shows the second's, as in "
                 "call-photo-off)")},
      springBoardScene("favorites", {"favorites"}, "CallBar's favourites buttons"),
      springBoardScene("recents", {"recents"}, "CallBar's recent calls"),
      {"recents-missed", true,
       hostScene("recents-missed", kViewService, {"recents missed"},
                 "CallBar's missed calls, in CallBar's view service")},
      springBoardScene("recents-scrolled", {"recents", "scroll 12"},
                       "CallBar's recent calls scrolled by twelve rows: rows used again show "
                       "their new contact's picture"),
      springBoardScene("contacts", {"contacts"},
                       "The system's contact list of this version, inside CallBar's overlay"),
      {"contacts-app", false,
       hostScene("contacts-app", kContacts, {"contacts"},
                 "The Contacts application's own list: the add-on leaves it unchanged")},
      {"pane", false, hostScene("pane", kSettings, {"pane"}, "The add-on's pane in Settings")},
  };
  for (SimScene& scene : switchScenes()) scenes.push_back(std::move(scene));
  scenes.push_back({"mail-log", false, mailLog});
  // Without the add-on the list shows no pictures, so nothing of the change: no -off variant.
  scenes.push_back({"photo-changed", false, photoChanged});
  return scenes;
}
}  // namespace

const std::vector<SimScene>& simScenes() {
  static const std::vector<SimScene> scenes = makeScenes();
  return scenes;
}

const SimScene* findSimScene(const std::string& name) {
  for (const SimScene& scene : simScenes()) {
    if (scene.name == name) return &scene;
  }
  return nullptr;
}

}  // namespace simulator
