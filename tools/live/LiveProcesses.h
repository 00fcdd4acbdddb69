// The host processes of the live simulator's phone, by their keys in the API.
#pragma once

#include <string>
#include <vector>

namespace live {

// A process the live simulator runs: its key in the API, its name, its bundle identifier and the
// lines it starts with.
struct LiveProcess {
  const char* key;
  const char* title;
  const char* bundleIdentifier;
  std::vector<const char*> opening;
};
const std::vector<LiveProcess>& liveProcesses();
const LiveProcess* findLiveProcess(const std::string& key);

}  // namespace live
