// The simulator's side of the host's fork server (talvocb-host --fork-server): started once for
// a run, it starts each host process as a fork of a host that has its libraries loaded and its
// fonts read, instead of a new program.
#pragma once

#include <sys/types.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace simulator {

class SimForkServer {
 public:
  // Starts `host --fork-server` without waiting for it: it gets ready (reads its fonts) while
  // the run prepares its devices.
  SimForkServer(const std::string& host, const std::string& errorFile);
  ~SimForkServer();  // ends the server once its children have ended
  SimForkServer(const SimForkServer&) = delete;
  SimForkServer& operator=(const SimForkServer&) = delete;

  // Whether the server is ready to fork; the first call waits for it, from any thread.
  bool started();
  // The program of argv[0], which must be the server's own, as a child of the server with these
  // descriptors as its standard input, output and error. `reply` is where its end is told.
  struct Child {
    pid_t pid = -1;
    int pidfd = -1;  // signals reach the child through it, never a reused pid
    int reply = -1;  // "status S" arrives on it once the child has ended
  };
  std::optional<Child> start(const std::vector<std::string>& argv, int in, int out, int err);
  const std::string& host() const { return host_; }

 private:
  std::string host_;
  int starting_ = -1;  // the server's socket until it says it is ready
  int requests_ = -1;
  pid_t server_ = -1;
  std::once_flag ready_;
  std::mutex sending_;
};

// The end of a forked child read from its reply socket: the wait status, or nothing when it has
// not ended within `milliseconds` (-1: waits). A server that went away reads as a kill.
std::optional<int> awaitForkedEnd(int reply, int milliseconds);

}  // namespace simulator
