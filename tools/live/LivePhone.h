// The phone the live simulator runs: its device (the sample, or a copy of a given device, with
// the phone's profile), its four host processes kept running, and what a person does to it. Every
// call may come from any thread; what is asked of one host is carried out in order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "LiveHost.h"
#include "LiveSerialQueue.h"
#include "SimProfiles.h"

namespace live {

// Where the phone's files go: OUT/devices/PROFILE, OUT/screens/PROFILE, OUT/logs/PROFILE.log.
struct LivePlace {
  simulator::SimTools tools;
  std::string root;  // the device to copy; the sample when empty
  std::string out;
};

// An answer of the API: its HTTP status and its JSON body.
struct LiveReply {
  int status = 200;
  std::string json;
};

class LivePhone {
 public:
  // Makes the phone's device afresh and starts its hosts.
  LivePhone(const LivePlace& place, const simulator::SimProfile& profile);
  ~LivePhone();  // ends the hosts

  const simulator::SimProfile& profile() const { return profile_; }
  // Why the device could not be made; empty when it was.
  const std::string& failure() const { return failure_; }

  // Carries out a host action line in a process, records its screen (and those of the other
  // processes when the action can reach them), and answers the screen and its view tree.
  LiveReply act(const LiveProcess& process, const std::string& line);
  // Edits the address book as another process of the phone would, then records every screen.
  LiveReply setName(long long contact, const std::string& first, const std::string& last);
  LiveReply setPhoto(long long contact, const std::string& bytes);
  // The screen of a process once everything asked of it before is done.
  HostScreen screen(const LiveProcess& process);
  // The phone, its processes and the settings file's values.
  LiveReply state();

 private:
  struct Running {
    std::unique_ptr<LiveHost> host;
    std::unique_ptr<SerialQueue> queue;  // declared last: it ends first, with its work done
  };
  Running& running(const LiveProcess& process);
  // Records the screens of every process but `except` (all when null), together.
  void recordOthers(const LiveProcess* except);
  LiveReply runTool(const std::vector<std::string>& arguments);

  LivePlace place_;
  simulator::SimProfile profile_;
  std::string device_, screens_, errors_, failure_;
  std::vector<Running> hosts_;
};

// The URL of a process's current screen, which changes with every new recording.
std::string screenURL(const LiveProcess& process, unsigned version);

}  // namespace live
