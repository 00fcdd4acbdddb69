#include "SimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace simulator {

SimProcess::SimProcess(const std::vector<std::string>& argv, const std::string& errorFile) {
  int out[2];
  if (argv.empty() || ::pipe2(out, O_CLOEXEC) != 0) return;
  std::vector<std::string> words(argv);
  std::vector<char*> args;
  for (std::string& word : words) args.push_back(word.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  out_ = out[0];
}

SimProcess::~SimProcess() {
  kill();
  if (out_ >= 0) ::close(out_);
}

void SimProcess::kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

bool SimProcess::readSome(Clock::time_point deadline) {
  if (out_ < 0) return false;
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  if (left.count() <= 0) return false;
  pollfd fd{out_, POLLIN, 0};
  if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0) return false;
  char chunk[4096];
  ssize_t n = ::read(out_, chunk, sizeof chunk);
  if (n <= 0) {
    ::close(out_);
    out_ = -1;
    if (!pending_.empty()) lines_.push_back(std::move(pending_));
    pending_.clear();
    return false;
  }
  pending_.append(chunk, static_cast<std::size_t>(n));
  for (auto newline = pending_.find('\n'); newline != std::string::npos;
       newline = pending_.find('\n')) {
    lines_.push_back(pending_.substr(0, newline));
    pending_.erase(0, newline + 1);
  }
  return true;
}

bool SimProcess::waitForLine(const std::string& line, Clock::time_point deadline) {
  for (;;) {
    while (consumed_ < lines_.size()) {
      if (lines_[consumed_++] == line) return true;
    }
    if (!readSome(deadline)) return false;
  }
}

std::optional<int> SimProcess::finish(Clock::time_point deadline) {
  while (readSome(deadline)) {
  }
  if (out_ >= 0) {  // the deadline passed with the program still writing or silent
    kill();
    return std::nullopt;
  }
  // The output has ended; the program itself gets what is left of its time to exit.
  while (pid_ > 0) {
    int status = 0;
    pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (Clock::now() >= deadline) break;
    ::usleep(2000);
  }
  kill();
  return std::nullopt;
}

}  // namespace simulator
