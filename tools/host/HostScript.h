// The actions a host program carries out on its main thread, one line each:
//   status          what the module did to this process (hooks, observers, standard error)
//   settings        the shared settings' description
//   observe NAME    observe a Darwin notification; each delivery prints "received NAME"
//   post NAME       post a Darwin notification
//   wait NAME [MS]  run the main loop until NAME was received (default 5000 ms)
//   run MS          run the main loop for MS milliseconds
//   ready           print "ready"
//   exit            end the program
#pragma once

#include <string>

struct HostIdentity {
  int originalStandardErrorInode = 0;
};

// Runs one action; answers false on "exit". Unknown actions print an error line on stdout.
bool runHostAction(const std::string& line, const HostIdentity& identity);
