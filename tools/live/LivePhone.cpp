#include "LivePhone.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "LiveJSON.h"
#include "SimDevice.h"
#include "TALCBSettings.h"
#include "foundation/DeviceFiles.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

namespace fs = std::filesystem;

namespace live {

namespace {
using simulator::Clock;

constexpr const char* kSettingsInDevice =
    "private/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist";

// Actions whose effect reaches other processes: Settings' (the settings file and its
// notifications), and a notification posted by hand.
bool reachesOthers(const LiveProcess& process, const std::string& line) {
  return std::string(process.key) == "settings" || line.rfind("post ", 0) == 0;
}

LiveReply failed(int status, const std::string& error) {
  return {status, jsonText(json{{"ok", false}, {"error", error}})};
}

// The tree is the host's own JSON text, put in as it is.
std::string withTree(json reply, const std::string& tree) {
  std::string text = jsonText(reply);
  text.pop_back();
  return text + ",\"tree\":" + tree + "}";
}
}  // namespace

std::string screenURL(const LiveProcess& process, unsigned version) {
  return std::string("/api/screen/") + process.key + ".png?v=" + std::to_string(version);
}

LivePhone::LivePhone(const LivePlace& place, const simulator::SimProfile& profile)
    : place_(place), profile_(profile) {
  device_ = place.out + "/devices/" + profile.name;
  screens_ = place.out + "/screens/" + profile.name;
  errors_ = place.out + "/logs/" + profile.name + ".log";
  std::error_code error;
  fs::remove_all(device_, error);
  fs::create_directories(screens_, error);
  if (!simulator::prepareSimDevice(place.tools, profile, place.root, device_, errors_, &failure_)) {
    return;
  }
  for (const LiveProcess& process : liveProcesses()) {
    hosts_.push_back({std::make_unique<LiveHost>(process, place.tools, device_, screens_, errors_),
                      std::make_unique<SerialQueue>()});
  }
  // SpringBoard first, as on the phone: the module's start-up there writes the settings file
  // that the others read (the pane shows its rows by it). The rest start together. A host that
  // fails to start is started again by the first line sent to it.
  auto start = [](Running& running) {
    return running.queue->submit([host = running.host.get()] { return host->start(); });
  };
  start(hosts_.front()).get();
  std::vector<std::future<HostAnswer>> started;
  for (std::size_t i = 1; i < hosts_.size(); ++i) started.push_back(start(hosts_[i]));
  for (auto& answer : started) answer.get();
}

LivePhone::~LivePhone() {
  // Every queue ends (its work done) before its host.
  hosts_.clear();
}

LivePhone::Running& LivePhone::running(const LiveProcess& process) {
  for (Running& running : hosts_) {
    if (&running.host->process() == &process ||
        std::string(running.host->process().key) == process.key) {
      return running;
    }
  }
  throw std::logic_error(std::string("no process ") + process.key);
}

void LivePhone::recordOthers(const LiveProcess* except) {
  std::vector<std::future<HostAnswer>> recorded;
  for (Running& running : hosts_) {
    if (except && std::string(running.host->process().key) == except->key) continue;
    recorded.push_back(
        running.queue->submit([host = running.host.get()] { return host->record(); }));
  }
  for (auto& answer : recorded) answer.get();
}

LiveReply LivePhone::act(const LiveProcess& process, const std::string& line) {
  if (!failure_.empty()) return failed(503, failure_);
  Running& target = running(process);
  struct Done {
    HostAnswer answer;
    HostScreen screen;
  };
  // The line and the process's new screen are one turn of its queue, so that no other request
  // comes between them; once the line is carried out, the processes it reaches redraw meanwhile.
  auto performed = std::make_shared<std::promise<bool>>();
  std::future<bool> reached = performed->get_future();
  std::future<Done> done = target.queue->submit([host = target.host.get(), line, performed] {
    Done result{host->perform(line), {}};
    performed->set_value(result.answer.ok);
    if (result.answer.ok) {
      HostAnswer recorded = host->record();
      if (!recorded.ok) result.answer = recorded;
    }
    result.screen = host->screen();
    return result;
  });
  std::vector<std::future<HostAnswer>> awaited;
  if (reached.get() && reachesOthers(process, line)) {
    for (Running& other : hosts_) {
      if (&other == &target) continue;
      auto recorded = other.queue->submit([host = other.host.get()] { return host->record(); });
      // The answer waits for SpringBoard, where the add-on's pictures show; the others redraw
      // behind it, and a request for their screens waits for that in their queues.
      if (std::string(other.host->process().key) == "springboard") {
        awaited.push_back(std::move(recorded));
      }
    }
  }
  Done result = done.get();
  for (auto& recorded : awaited) recorded.get();
  json reply{{"ok", result.answer.ok},
             {"process", process.key},
             {"output", result.answer.output},
             {"screen", screenURL(process, result.screen.version)}};
  if (!result.answer.restarted.empty()) reply["restarted"] = result.answer.restarted;
  if (!result.answer.ok) {
    reply["error"] = result.answer.error;
    // A refused line is the asker's (400); a host that died or hung is the simulator's (500).
    return {result.answer.hostFailed ? 500 : 400, jsonText(reply)};
  }
  return {200, withTree(reply, result.screen.tree ? *result.screen.tree : "null")};
}

LiveReply LivePhone::runTool(const std::vector<std::string>& arguments) {
  if (!failure_.empty()) return failed(503, failure_);
  std::vector<std::string> argv = {place_.tools.tool, "--root", device_};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  simulator::SimProcess tool(argv, errors_);
  if (tool.finish(Clock::now() + std::chrono::seconds(30)) != 0) {
    return failed(400, tool.lastErrorLines(1));
  }
  // The tool has announced the change; every process shows what it made of it.
  recordOthers(nullptr);
  json reply{{"ok", true}};
  for (Running& running : hosts_) {
    reply["screens"][running.host->process().key] =
        screenURL(running.host->process(), screen(running.host->process()).version);
  }
  return {200, jsonText(reply)};
}

LiveReply LivePhone::setName(long long contact, const std::string& first, const std::string& last) {
  // After "--" a name that starts with "-" is a name, not an option.
  return runTool({"addressbook", "set-name", "--", std::to_string(contact), first, last});
}

LiveReply LivePhone::setPhoto(long long contact, const std::string& bytes) {
  std::error_code error;
  fs::create_directories(place_.out + "/uploads", error);
  // A file of its own for each upload: two at once must not write into one another.
  std::string file = place_.out + "/uploads/photo-XXXXXX";
  int fd = ::mkstemp(file.data());
  if (fd < 0) return failed(500, "the photo cannot be kept: " + std::string(std::strerror(errno)));
  bool written = true;
  for (std::size_t done = 0; written && done < bytes.size();) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    written = n > 0 || (n < 0 && errno == EINTR);
    if (n > 0) done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (!written) {
    fs::remove(file, error);
    return failed(500, "the photo cannot be kept: " + std::string(std::strerror(errno)));
  }
  LiveReply reply = runTool({"addressbook", "set-photo", "--", std::to_string(contact), file});
  fs::remove(file, error);
  return reply;
}

HostScreen LivePhone::screen(const LiveProcess& process) {
  Running& target = running(process);
  return target.queue->submit([host = target.host.get()] { return host->screen(); }).get();
}

LiveReply LivePhone::state() {
  json processes = json::array();
  for (Running& running : hosts_) {
    const LiveProcess& process = running.host->process();
    // As each host last finished: never waiting for a line one of them is carrying out.
    HostStatus status = running.host->status();
    std::vector<std::string> opening(process.opening.begin(), process.opening.end());
    processes.push_back(json{{"key", process.key},
                             {"title", process.title},
                             {"running", status.running},
                             {"pid", status.pid},
                             {"restarts", status.restarts},
                             {"screen", screenURL(process, status.version)},
                             {"command", running.host->commandLine()},
                             {"opening", opening}});
  }
  json settings = json::object();
  std::string reason;
  if (auto bytes = standin::readFileInside(device_, kSettingsInDevice, &reason, 1 << 20)) {
    if (auto plist = std::dynamic_pointer_cast<NSDictionary>(propertyListFromData(*bytes))) {
      for (const char* key : TalvoCBSettingsFile::kKeys) {
        if (id value = plist->objectForKey(key)) settings[key] = boolValue(value);
      }
    }
  }
  json profiles = json::array();
  for (const simulator::SimProfile& phone : simulator::simProfiles())
    profiles.push_back(phone.name);
  json reply{{"profile", profile_.name},
             {"profiles", profiles},
             {"phone", simulator::describeProfile(profile_)},
             {"device", device_},
             {"processes", processes},
             {"settings", settings}};
  if (!failure_.empty()) reply["failure"] = failure_;
  return {200, jsonText(reply)};
}

}  // namespace live
