// A program of the simulated device, run by the simulator as a separate process: its standard
// output read line by line, its standard error appended to a file and its last lines kept in
// memory (so that a failure's reason survives a full disk), and killed when it overruns.
#pragma once

#include <spawn.h>
#include <sys/types.h>

#include <chrono>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace simulator {

using Clock = std::chrono::steady_clock;
class SimForkServer;

// Spawn attributes under which a program starts with no signal blocked or ignored, whatever the
// simulator's threads do with them; destroyed by the caller.
void initCleanSignalAttributes(posix_spawnattr_t* attributes);

class SimProcess {
 public:
  enum class Input { Empty, Lines };
  // Starts argv[0] (a path) with the simulator's environment; standard input is empty, or, for
  // Input::Lines, what send() writes. With a fork server whose host argv[0] is, the program is
  // one of its children.
  SimProcess(const std::vector<std::string>& argv, const std::string& errorFile,
             Input input = Input::Empty, SimForkServer* forks = nullptr);
  ~SimProcess();  // kills the program if it still runs
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  // Writes a line to its standard input; false when the program no longer reads it.
  bool send(const std::string& line);
  // Closes its standard input: a program that reads it to its end ends then.
  void closeInput();
  // The next output line not yet looked at; nothing at the end of the output or the deadline.
  // Lines read this way are not kept in lines().
  std::optional<std::string> nextLine(Clock::time_point deadline);
  // Whether it still runs; once it has ended, *status tells how ("exit status 1", "signal 9").
  bool running(std::string* status = nullptr);
  // Reads output until a line equals `line`; false at the end of the output or at the deadline.
  bool waitForLine(const std::string& line, Clock::time_point deadline);
  // Reads the rest of the output and waits for the end: the exit status, -1 for a program ended
  // by a signal, nothing when the deadline passed first (the program is killed then).
  std::optional<int> finish(Clock::time_point deadline);
  // Every output line read so far.
  const std::vector<std::string>& lines() const { return lines_; }
  // The last `count` lines of its standard error, joined by " | "; complete once it has ended.
  std::string lastErrorLines(std::size_t count);

 private:
  void spawn(const std::vector<std::string>& argv, int in, int out, int err);
  // Copies standard error to the file line by line, keeping the last lines.
  void keepErrors(int errors, int file);
  void joinErrorReader();
  // Reads what is there within the deadline; false at the end of the output or the deadline.
  bool readSome(Clock::time_point deadline);
  void kill();
  // Whether the program has ended within `milliseconds` (-1: waits for it); *how is its wait
  // status then.
  bool reaped(int milliseconds, int* how);

  pid_t pid_ = -1;
  int pidfd_ = -1;  // a fork server's child: signalled through it,
  int reply_ = -1;  // and its end read from here
  int in_ = -1;
  int out_ = -1;
  std::string ended_;
  std::string pending_;
  std::vector<std::string> lines_;
  std::size_t consumed_ = 0;  // lines already looked at by waitForLine
  std::thread errorReader_;
  std::mutex errorMutex_;
  std::deque<std::string> errorLines_;
};

}  // namespace simulator
