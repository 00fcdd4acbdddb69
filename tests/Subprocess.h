// Runs the project's programs as real, separate processes.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct ProcessResult {
  int status = -1;  // exit status, or -1 when killed
  std::string out;
  std::string err;
};

// Runs a program to its end; the path is taken from the build's bin folder when relative.
ProcessResult runProgram(const std::vector<std::string>& argv);

struct RunOptions {
  std::string input;                    // written to its standard input
  std::optional<rlim_t> fileSizeLimit;  // its RLIMIT_FSIZE, in bytes; SIGXFSZ left as it is
};

// Runs a program to its end, forked with the options' input and limits.
ProcessResult runProgram(const std::vector<std::string>& argv, const RunOptions& options);

// A program running beside the test, whose standard output is read line by line.
class RunningProgram {
 public:
  explicit RunningProgram(const std::vector<std::string>& argv);
  // Its standard error is appended to the file at errorPath, so that a test can read its lines.
  RunningProgram(const std::vector<std::string>& argv, const std::string& errorPath);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;
  // The next line of standard output, or nothing at the end or after the timeout.
  std::optional<std::string> readLine(std::chrono::milliseconds timeout);
  // Reads lines until one equals the expected text; answers whether it came in time.
  bool waitForLine(const std::string& expected, std::chrono::milliseconds timeout);
  // Waits for the end and answers the exit status.
  int wait();
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string buffer_;
};

std::string binary(const std::string& name);
