// The live simulator through real HTTP: a server started as the tool starts it, with its four
// host processes on the sample device, asked what a person's page asks.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "Subprocess.h"

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

class LiveSimulator : public testing::Test {
 protected:
  void SetUp() override {
    out_ = fs::temp_directory_path() / ("live-test-" + std::to_string(::getpid()));
    server_ = std::make_unique<RunningProgram>(
        std::vector<std::string>{binary("talvocb"), "sim", "--serve", "--port", "0", "--out",
                                 out_.string(), "--profile", "ios9-iphone6"},
        (out_.string() + ".err"));
    auto line = server_->readLine(std::chrono::seconds(90));
    ASSERT_TRUE(line) << "the server did not start";
    ASSERT_EQ(line->rfind("serving http://127.0.0.1:", 0), 0u) << *line;
    port_ = std::stoi(line->substr(std::string("serving http://127.0.0.1:").size()));
    client_ = std::make_unique<httplib::Client>("127.0.0.1", port_);
    client_->set_read_timeout(60);
  }
  void TearDown() override {
    server_.reset();
    if (HasFailure()) {
      for (const fs::path& log :
           {fs::path(out_.string() + ".err"), out_ / "live/logs/ios9-iphone6.log"}) {
        std::ifstream file(log);
        std::cerr << log << ":\n" << file.rdbuf() << "\n";
      }
    }
    std::error_code error;
    fs::remove_all(out_, error);
    fs::remove(out_.string() + ".err", error);
  }

  json post(const std::string& path, const json& body, int expected = 200) {
    auto reply = client_->Post(path.c_str(), body.dump(), "application/json");
    EXPECT_TRUE(reply);
    if (!reply) return nullptr;
    EXPECT_EQ(reply->status, expected) << path << " " << body.dump() << ": " << reply->body;
    return json::parse(reply->body, nullptr, false);
  }
  json act(const std::string& process, const std::string& action, int expected = 200) {
    return post("/api/do", {{"process", process}, {"action", action}}, expected);
  }
  json get(const std::string& path) {
    auto reply = client_->Get(path.c_str());
    EXPECT_TRUE(reply && reply->status == 200) << path;
    return reply ? json::parse(reply->body, nullptr, false) : json();
  }
  int pidOf(const std::string& process) {
    json state = get("/api/state");
    for (const json& p : state["processes"]) {
      if (p["key"] == process) return p["pid"];
    }
    return -1;
  }

  fs::path out_;
  std::unique_ptr<RunningProgram> server_;
  int port_ = 0;
  std::unique_ptr<httplib::Client> client_;
};

// Every text and image source of a tree, one per line.
std::string shown(const json& view) {
  std::string text;
  if (view.contains("text") && view["text"].is_string()) text += view["text"].get<std::string>();
  if (view.contains("image") && view["image"].is_string()) {
    text += "[" + view["image"].get<std::string>() + "]";
  }
  text += "\n";
  for (const json& child : view["subviews"]) text += shown(child);
  return text;
}

TEST_F(LiveSimulator, ActionsReachTheScreensOfEveryProcess) {
  // A call from John Appleseed shows his photo in the overlay, in the answer's own tree.
  json call = act("springboard", "call +1 (555) 010-0100");
  std::string overlay = shown(call["tree"]);
  EXPECT_LT(overlay.find("[photo of contact 1"), overlay.find("]\nJohn Appleseed\n")) << overlay;
  auto screen = client_->Get(call["screen"].get<std::string>().c_str());
  ASSERT_TRUE(screen);
  EXPECT_EQ(screen->body.substr(1, 3), "PNG");

  // The favourites switch flipped in Settings reaches SpringBoard's favourites.
  act("springboard", "favorites");
  EXPECT_NE(shown(get("/api/tree/springboard.json")).find("[photo of contact 2"),
            std::string::npos);
  act("settings", "switch TalvoCBEnabledFavorites off");
  EXPECT_EQ(get("/api/state")["settings"]["TalvoCBEnabledFavorites"], false);
  std::string favourites = shown(get("/api/tree/springboard.json"));
  EXPECT_EQ(favourites.find("[photo of contact 2"), std::string::npos) << favourites;
  EXPECT_NE(favourites.find("[host photo of contact 2"), std::string::npos) << favourites;

  // A new photo reaches SpringBoard's favourites when they show again.
  auto png = client_->Get(call["screen"].get<std::string>().c_str());
  auto photo = client_->Post("/api/contact/3/photo", png->body, "image/png");
  EXPECT_EQ(photo->status, 200) << photo->body;
  std::string again = shown(act("springboard", "favorites")["tree"]);
  EXPECT_NE(again.find("[host photo of contact 3"), std::string::npos) << again;

  // A new name reaches the contact list (at its top, where the list shows it).
  post("/api/contact/2/name", {{"first", "Zelda"}, {"last", "Aardvark"}});
  EXPECT_NE(shown(get("/api/tree/contacts.json")).find("Aardvark"), std::string::npos);
}

TEST_F(LiveSimulator, BadRequestsAndDeadHostsLeaveTheServerRunning) {
  json refused = act("springboard", "fly away", 400);
  EXPECT_EQ(refused["error"], "unknown action 'fly' (see --help)");
  EXPECT_EQ(act("springboard", "call", 400)["error"], "usage: call PARTY [at SECONDS]");
  act("springboard", "status\nexit", 400);
  act("nobody", "status", 400);
  post("/api/phone", {{"profile", "nokia-3310"}}, 400);
  post("/api/contact/2/name", {{"first", 7}}, 400);
  for (const char* body : {"", "{", "[1]", "{\"process\": 1}"}) {
    auto reply = client_->Post("/api/do", body, "application/json");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 400) << body;
    EXPECT_FALSE(json::parse(reply->body)["error"].get<std::string>().empty());
  }
  // Sent as text, or from another site's page, a request is not carried out.
  auto plain =
      client_->Post("/api/do", R"({"process":"springboard","action":"status"})", "text/plain");
  EXPECT_EQ(plain->status, 400);
  httplib::Headers otherSite = {{"Origin", "http://example.com"}};
  EXPECT_EQ(client_->Get("/api/state", otherSite)->status, 403);
  EXPECT_EQ(client_->Post("/api/contact/2/photo", std::string(17 << 20, 'x'), "image/png")->status,
            413);

  // A host killed is started again by the next action, which says so: as found dead before the
  // action, or as dying during it (the kill may not be complete yet), and then the action fails.
  int killed = pidOf("springboard");
  ASSERT_GT(killed, 0);
  ASSERT_EQ(::kill(killed, SIGKILL), 0);
  auto again = client_->Post("/api/do", R"({"process":"springboard","action":"favorites"})",
                             "application/json");
  ASSERT_TRUE(again);
  json answer = json::parse(again->body);
  EXPECT_TRUE(again->status == 200 || again->status == 500) << again->body;
  EXPECT_NE(answer.value("restarted", "").find("SpringBoard"), std::string::npos) << again->body;
  EXPECT_NE(again->body.find("(signal 9)"), std::string::npos) << again->body;
  act("springboard", "favorites");
  EXPECT_NE(pidOf("springboard"), killed);
  EXPECT_EQ(get("/api/state")["processes"][0]["restarts"], 1);
}

TEST_F(LiveSimulator, ListensOnLoopbackOnlyChangesPhonesAndEndsItsHostsOnSIGTERM) {
  // Every listening socket on the port is bound to 127.0.0.1.
  char port[8];
  std::snprintf(port, sizeof port, ":%04X", port_);
  std::ifstream table("/proc/net/tcp");
  std::string line;
  int listening = 0;
  while (std::getline(table, line)) {
    std::istringstream words(line);
    std::string slot, local, remote, state;
    words >> slot >> local >> remote >> state;
    if (state != "0A" || local.size() < 5 || local.substr(local.size() - 5) != port) continue;
    ++listening;
    EXPECT_EQ(local, std::string("0100007F") + port);
  }
  EXPECT_EQ(listening, 1);
  std::ifstream table6("/proc/net/tcp6");
  while (std::getline(table6, line)) EXPECT_EQ(line.find(port), std::string::npos) << line;

  // Another phone: the hosts start again on its own device, at its size.
  std::vector<int> hosts;
  json state = get("/api/state");
  for (const json& p : state["processes"]) hosts.push_back(p["pid"]);
  EXPECT_EQ(post("/api/phone", {{"profile", "ios8-iphone5s"}})["profile"], "ios8-iphone5s");
  EXPECT_EQ(get("/api/tree/springboard.json")["frame"], json({0, 0, 320, 568}));
  for (int host : hosts) EXPECT_NE(::kill(host, 0), 0) << "host " << host << " still runs";

  hosts.clear();
  state = get("/api/state");
  for (const json& p : state["processes"]) hosts.push_back(p["pid"]);
  ASSERT_EQ(::kill(server_->pid(), SIGTERM), 0);
  EXPECT_EQ(server_->wait(), 0);
  for (int host : hosts) EXPECT_NE(::kill(host, 0), 0) << "host " << host << " still runs";
}

}  // namespace
