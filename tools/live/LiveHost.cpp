#include "LiveHost.h"

#include <fstream>
#include <sstream>

#include "HostServeReplies.h"

namespace live {

namespace {
using simulator::Clock;

// Longer than any action waits (a host's own waits end at 10 s), so a host that overruns it hung.
constexpr auto kActionTime = std::chrono::seconds(30);
// What one answer may print before the rest is dropped: a host's output is its own, not unbounded.
constexpr std::size_t kMostOutputLines = 2000;
// How long a host that has closed its output may take to end.
constexpr auto kEndTime = std::chrono::seconds(3);

std::shared_ptr<const std::string> readWhole(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return nullptr;
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return std::make_shared<const std::string>(bytes.str());
}
}  // namespace

LiveHost::LiveHost(const LiveProcess& process, const simulator::SimTools& tools, std::string device,
                   std::string screens, std::string errors)
    : process_(process),
      tools_(tools),
      device_(std::move(device)),
      screens_(std::move(screens)),
      errors_(std::move(errors)) {}

LiveHost::~LiveHost() {
  stop();
}

std::vector<std::string> LiveHost::commandLine() const {
  return {tools_.host, "--root", device_, "--bundle-id", process_.bundleIdentifier};
}

HostAnswer LiveHost::start() {
  HostAnswer answer = startProcess();
  if (answer.ok) answer = recordScreen(false);
  publish();
  return answer;
}

HostAnswer LiveHost::startProcess() {
  stop();
  std::vector<std::string> argv = commandLine();
  argv.push_back("--serve");
  host_ =
      std::make_unique<simulator::SimProcess>(argv, errors_, simulator::SimProcess::Input::Lines);
  if (!host_->started()) return {false, tools_.host + " cannot be started", {}, {}, true};
  for (const char* line : process_.opening) {
    HostAnswer answer = exchange(line);
    if (!answer.ok) return answer;
  }
  return {true, {}, {}, {}};
}

void LiveHost::stop() {
  if (!host_) return;
  // Its input ends, so it ends by itself, its exit handlers run; killed if it does not.
  host_->closeInput();
  host_->finish(Clock::now() + kEndTime);
  host_.reset();
}

bool LiveHost::running() {
  return host_ && host_->running();
}

HostStatus LiveHost::status() const {
  std::lock_guard lock(statusLock_);
  return status_;
}

void LiveHost::publish() {
  HostStatus now{running(), host_ ? host_->pid() : -1, restarts_, screen_.version};
  std::lock_guard lock(statusLock_);
  status_ = now;
}

HostAnswer LiveHost::perform(const std::string& line) {
  HostAnswer answer = performOnce(line);
  publish();
  return answer;
}

HostAnswer LiveHost::performOnce(const std::string& line) {
  std::string why;
  if (std::string how; !host_ || !host_->running(&how)) {
    why = std::string(process_.title) + " had ended (" + how + ") and was started again";
    ++restarts_;
    HostAnswer started = start();
    if (!started.ok) {
      started.restarted = why;
      return started;
    }
  }
  HostAnswer answer = exchange(line);
  if (answer.ok || running()) {
    answer.restarted = why;
    return answer;
  }
  // It died during the line: started again at once, so that the next line finds it.
  ++restarts_;
  HostAnswer started = start();
  answer.restarted = started.ok ? std::string(process_.title) + " was started again"
                                : "starting it again failed: " + started.error;
  return answer;
}

HostAnswer LiveHost::exchange(const std::string& line) {
  HostAnswer answer;
  auto deadline = Clock::now() + kActionTime;
  if (host_->send(line)) {
    while (auto reply = host_->nextLine(deadline)) {
      if (*reply == kHostLineDone) {
        answer.ok = true;
        return answer;
      }
      if (reply->rfind(std::string(kHostLineRefused) + " ", 0) == 0) {
        std::string rest = reply->substr(std::string(kHostLineRefused).size() + 1);
        std::size_t space = rest.find(' ');
        answer.error = space == std::string::npos ? rest : rest.substr(space + 1);
        return answer;
      }
      if (answer.output.size() < kMostOutputLines) answer.output.push_back(std::move(*reply));
    }
  }
  // Dead or hung: a hung host is ended, so that it counts as dead; a dead one is waited for, so
  // that the answer can say how it ended.
  answer.hostFailed = true;
  bool hung = Clock::now() >= deadline;
  std::optional<int> status = host_->finish(Clock::now() + (hung ? Clock::duration() : kEndTime));
  std::string how;
  host_->running(&how);
  answer.error = std::string(process_.title) +
                 (hung ? " did not answer within " + std::to_string(kActionTime.count()) + " s"
                       : " ended during the action (" + how + ")");
  std::string errors = host_->lastErrorLines(1);
  if (!errors.empty()) answer.error += ": " + errors;
  (void)status;
  return answer;
}

HostAnswer LiveHost::record() {
  return recordScreen(true);
}

HostAnswer LiveHost::recordScreen(bool restart) {
  std::string stem = screens_ + "/" + process_.key;
  for (const std::string& line : simulator::screenRecordingActions(stem)) {
    HostAnswer answer = restart ? perform(line) : exchange(line);
    if (!answer.ok) return answer;
  }
  auto png = readWhole(stem + ".png");
  auto tree = readWhole(stem + ".json");
  if (!png || !tree) {
    return {
        false, "the screen of " + std::string(process_.title) + " cannot be read", {}, {}, true};
  }
  screen_ = {png, tree, screen_.version + 1};
  return {true, {}, {}, {}};
}

}  // namespace live
