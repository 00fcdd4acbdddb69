// talvocb sim --serve: the live simulator. It runs a phone's host processes and serves, on the
// loopback address only, a page and a JSON API to act on them and look at their screens.
#pragma once

#include <string>

#include "SimStage.h"

namespace live {

struct LiveOptions {
  std::string root;     // the device to copy for each phone; the sample when empty
  std::string out;      // where the devices, screens and logs go
  std::string profile;  // the phone to start with
  int port = 8765;      // 0: any free port
};

// Serves until SIGINT or SIGTERM; prints "serving http://127.0.0.1:PORT/" once it listens.
// Answers the exit status: 1 when the phone cannot be made or the port cannot be had.
int serveLiveSimulator(const LiveOptions& options, const simulator::SimTools& tools);

}  // namespace live
