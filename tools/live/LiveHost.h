// One host process of the live simulator: started with --serve on the phone's device, kept
// running, handed action lines one at a time, started again when it has died. Not thread-safe:
// its phone calls it from the host's own serial queue.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "LiveProcesses.h"
#include "SimProcess.h"
#include "SimStage.h"

namespace live {

// How a line went.
struct HostAnswer {
  bool ok = false;
  std::string error;                // the host's one-line reason when not ok
  std::vector<std::string> output;  // what the action printed
  std::string restarted;            // when the host had to be started again, why
  bool hostFailed = false;          // not ok because the host died or hung, not for the line
};

// The screen a host last recorded.
struct HostScreen {
  std::shared_ptr<const std::string> png, tree;
  unsigned version = 0;  // counts the recordings
};

// What the state of the phone tells of a host, readable from any thread while the host works.
struct HostStatus {
  bool running = false;
  int pid = -1;
  unsigned restarts = 0;
  unsigned version = 0;  // of the screen
};

class LiveHost {
 public:
  // The host writes its screen into `screens`/KEY.png and KEY.json, its standard error to
  // `errors`.
  LiveHost(const LiveProcess& process, const simulator::SimTools& tools, std::string device,
           std::string screens, std::string errors);
  ~LiveHost();

  const LiveProcess& process() const { return process_; }
  // Starts the host and records its first screen.
  HostAnswer start();
  // Carries out one line; a host that is not running is started again first.
  HostAnswer perform(const std::string& line);
  // Waits until the host is idle, then records its screen.
  HostAnswer record();
  const HostScreen& screen() const { return screen_; }
  // As it was when the host last finished something asked of it.
  HostStatus status() const;
  // The talvocb-host command line that starts this host, without its actions.
  std::vector<std::string> commandLine() const;

 private:
  HostAnswer startProcess();
  HostAnswer performOnce(const std::string& line);
  // Sends a line and reads its answer; a host that hangs is ended.
  HostAnswer exchange(const std::string& line);
  // Records the screen, starting the host again if it has died (restart) or not.
  HostAnswer recordScreen(bool restart);
  bool running();
  // Makes the status readable by others; called at the end of each thing asked.
  void publish();
  void stop();

  LiveProcess process_;
  simulator::SimTools tools_;
  std::string device_, screens_, errors_;
  std::unique_ptr<simulator::SimProcess> host_;
  HostScreen screen_;
  unsigned restarts_ = 0;
  mutable std::mutex statusLock_;
  HostStatus status_;
};

}  // namespace live
