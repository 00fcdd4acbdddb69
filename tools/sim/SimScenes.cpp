#include "SimScenes.h"

#include "SimLiveScenes.h"

namespace simulator {

namespace {
void append(std::vector<std::string>& to, std::vector<std::string> actions) {
  for (std::string& action : actions) to.push_back(std::move(action));
}

// What a scene of one host does and says, made when it plays, from the device's cast.
struct HostScript {
  std::vector<std::string> actions;
  std::string caption;
};
using ScriptMaker = std::function<HostScript(SimStage&)>;

// A scene that one host plays to its end: the actions, then its screen.
std::function<void(SimStage&)> hostScene(const std::string& name, const SimHost& host,
                                         ScriptMaker script) {
  return [name, &host, script](SimStage& stage) {
    HostScript played = script(stage);
    append(played.actions, stage.record(name, host, played.caption));
    stage.run(host, played.actions);
  };
}

std::function<void(SimStage&)> hostScene(const std::string& name, const SimHost& host,
                                         std::vector<std::string> actions, std::string caption) {
  return hostScene(name, host, [actions, caption](SimStage&) {
    return HostScript{actions, caption};
  });
}

SimScene springBoardScene(const std::string& name, ScriptMaker script) {
  return {name, true, hostScene(name, kSpringBoard, std::move(script))};
}

SimScene springBoardScene(const std::string& name, std::vector<std::string> actions,
                          const std::string& caption) {
  return {name, true, hostScene(name, kSpringBoard, std::move(actions), caption)};
}

HostScript callFrom(const SimPerson& person) {
  return {{"call " + person.party}, "A call from " + describeCaller(person) + photoShape(person)};
}

ScriptMaker callFrom(SimRole role) {
  return [role](SimStage& stage) { return callFrom(stage.person(role)); };
}

HostScript favoritesScript(SimStage& stage) {
  const std::vector<std::string>& favorites = stage.cast().favorites;
  if (favorites.empty()) return {{"favorites"}, "CallBar's favourites: the device has none"};
  std::string names;
  for (const std::string& name : favorites) names += (names.empty() ? "" : ", ") + name;
  return {{"favorites"},
          "CallBar's favourites buttons, as the device's favourites hold them: " + names};
}

HostScript recentsScript(SimStage& stage) {
  std::size_t entries = stage.cast().historyEntries;
  return {{"recents"},
          entries ? "CallBar's recent calls, from the " + std::to_string(entries) +
                        " entries of the device's call history"
                  : std::string("CallBar's recent calls: the device has no call "
                                "history")};
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
      // Each call scene picks its caller from the device's own book, by what the add-on shows.
      springBoardScene("call-photo", callFrom(SimRole::OwnPhoto)),
      springBoardScene("call-linked-photo", callFrom(SimRole::LinkedPhoto)),
      springBoardScene("call-monogram", callFrom(SimRole::NoPhoto)),
      springBoardScene("call-unknown",
                       [](SimStage& stage) {
                         const std::string& number = stage.stranger();
                         return HostScript{{"call " + number + " at 4242"},
                                           "A call from " + number + ", a number on no card"};
                       }),
      // With the add-on off CallBar shows the second call's picture: call-photo-off's screen.
      {"call-two", false,
       hostScene("call-two", kSpringBoard,
                 [](SimStage& stage) {
                   const SimPerson& first = stage.person(SimRole::NoPhoto);
                   const SimPerson& second = stage.person(SimRole::OwnPhoto);
                   return HostScript{
                       {"call " + first.party, "call " + second.party},
                       "Two calls at once, from " + nameOrParty(first) + " and then from " +
                           nameOrParty(second) +
                           ": the picture stays that of the first call (without the add-on "
                           "CallBar shows the second's, as in call-photo-off)"};
                 })},
      springBoardScene("favorites", favoritesScript),
      springBoardScene("recents", recentsScript),
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

namespace {
// The party in a file name: "+81 3-5555-0116" plays as call-81-3-5555-0116.
std::string partySceneName(const std::string& party, std::size_t index,
                           const std::vector<SimScene>& taken) {
  std::string slug;
  for (char c : party) {
    bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (word) {
      slug += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    } else if (!slug.empty() && slug.back() != '-') {
      slug += '-';
    }
  }
  while (!slug.empty() && slug.back() == '-') slug.pop_back();
  if (slug.size() > 40) slug.resize(40);
  std::string base = "call-" + (slug.empty() ? "party-" + std::to_string(index + 1) : slug);
  auto isTaken = [&](const std::string& name) {
    for (const SimScene& scene : taken) {
      if (scene.name == name || scene.name + "-off" == name || scene.name == name + "-off") {
        return true;
      }
    }
    return false;
  };
  std::string name = base;
  for (int n = 2; isTaken(name); ++n) name = base + "-" + std::to_string(n);
  return name;
}
}  // namespace

std::vector<SimScene> runScenes(const std::vector<std::string>& parties) {
  std::vector<SimScene> scenes = simScenes();
  auto after = scenes.begin();
  for (auto scene = scenes.begin(); scene != scenes.end(); ++scene) {
    if (scene->name.rfind("call-", 0) == 0) after = scene + 1;
  }
  std::vector<SimScene> calls;
  for (std::size_t index = 0; index < parties.size(); ++index) {
    std::vector<SimScene> taken = scenes;
    taken.insert(taken.end(), calls.begin(), calls.end());
    std::string name = partySceneName(parties[index], index, taken);
    SimScene call = springBoardScene(
        name, [index](SimStage& stage) { return callFrom(stage.book().parties.at(index)); });
    call.asked = true;
    calls.push_back(std::move(call));
  }
  scenes.insert(after, calls.begin(), calls.end());
  return scenes;
}

const SimScene* findSimScene(const std::string& name) {
  for (const SimScene& scene : simScenes()) {
    if (scene.name == name) return &scene;
  }
  return nullptr;
}

}  // namespace simulator
