#include "LiveProcesses.h"

namespace live {

const std::vector<LiveProcess>& liveProcesses() {
  static const std::vector<LiveProcess> processes = {
      {"springboard", "SpringBoard", "com.apple.springboard", {}},
      // CallBar shows its lists in its view service when another application asks.
      {"viewservice", "CallBar's view service", "net.dravell.callbarviewservice", {"recents"}},
      {"settings", "Settings", "com.apple.Preferences", {"pane"}},
      {"contacts", "Contacts", "com.apple.MobileAddressBook", {"contacts"}},
  };
  return processes;
}

const LiveProcess* findLiveProcess(const std::string& key) {
  for (const LiveProcess& process : liveProcesses()) {
    if (key == process.key) return &process;
  }
  return nullptr;
}

}  // namespace live
