#include "SimProcess.h"

#include "SimForkServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace simulator {

namespace {
constexpr std::size_t kKeptErrorLines = 8;

std::string describeEnd(int status) {
  return WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                           : "signal " + std::to_string(WTERMSIG(status));
}
}  // namespace

void initCleanSignalAttributes(posix_spawnattr_t* attributes) {
  posix_spawnattr_init(attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int signal : {SIGPIPE, SIGINT, SIGTERM}) sigaddset(&defaults, signal);
  posix_spawnattr_setsigmask(attributes, &none);
  posix_spawnattr_setsigdefault(attributes, &defaults);
  posix_spawnattr_setflags(attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}

SimProcess::SimProcess(const std::vector<std::string>& argv, const std::string& errorFile,
                       Input input, SimForkServer* forks) {
  int in[2] = {-1, -1}, out[2], err[2];
  if (argv.empty() || ::pipe2(out, O_CLOEXEC) != 0) return;
  if (::pipe2(err, O_CLOEXEC) != 0 || (input == Input::Lines && ::pipe2(in, O_CLOEXEC) != 0)) {
    for (int fd : {out[0], out[1], err[0], err[1]}) ::close(fd);
    return;
  }
  std::optional<SimForkServer::Child> child;
  if (forks && argv[0] == forks->host() && forks->started()) {
    int empty = in[0] >= 0 ? -1 : ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    child = forks->start(argv, in[0] >= 0 ? in[0] : empty, out[1], err[1]);
    if (empty >= 0) ::close(empty);
  }
  if (child) {
    pid_ = child->pid;
    pidfd_ = child->pidfd;
    reply_ = child->reply;
  } else {
    spawn(argv, in[0], out[1], err[1]);
  }
  ::close(out[1]);
  ::close(err[1]);
  if (in[0] >= 0) ::close(in[0]);
  in_ = in[1];
  out_ = out[0];
  int file = ::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  errorReader_ = std::thread([this, errors = err[0], file] { keepErrors(errors, file); });
}

// Starts the program as a new one with these descriptors as its standard input (-1: empty),
// output and error.
void SimProcess::spawn(const std::vector<std::string>& argv, int in, int out, int err) {
  std::vector<std::string> words(argv);
  std::vector<char*> args;
  for (std::string& word : words) args.push_back(word.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (in >= 0) {
    posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
  posix_spawnattr_t attributes;
  initCleanSignalAttributes(&attributes);
  if (posix_spawn(&pid_, args[0], &actions, &attributes, args.data(), environ) != 0) pid_ = -1;
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
}

SimProcess::~SimProcess() {
  kill();
  joinErrorReader();
  if (in_ >= 0) ::close(in_);
  if (out_ >= 0) ::close(out_);
}

bool SimProcess::send(const std::string& line) {
  if (in_ < 0) return false;
  std::string text = line + "\n";
  for (std::size_t written = 0; written < text.size();) {
    // The simulator ignores SIGPIPE: a program that has ended fails the write with EPIPE.
    ssize_t n = ::write(in_, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}

void SimProcess::closeInput() {
  if (in_ >= 0) ::close(in_);
  in_ = -1;
}

std::optional<std::string> SimProcess::nextLine(Clock::time_point deadline) {
  while (consumed_ >= lines_.size()) {
    if (!readSome(deadline)) return std::nullopt;
  }
  std::string line = std::move(lines_[consumed_++]);
  // A program that runs for hours is read line by line: what is read is not kept.
  if (consumed_ == lines_.size()) {
    lines_.clear();
    consumed_ = 0;
  }
  return line;
}

bool SimProcess::reaped(int milliseconds, int* how) {
  bool ended;
  if (reply_ >= 0) {
    std::optional<int> end = awaitForkedEnd(reply_, milliseconds);
    ended = end.has_value();
    if (ended) *how = *end;
  } else {
    ended = ::waitpid(pid_, how, milliseconds < 0 ? 0 : WNOHANG) == pid_;
  }
  if (!ended) return false;
  pid_ = -1;
  ended_ = describeEnd(*how);
  for (int* descriptor : {&pidfd_, &reply_}) {
    if (*descriptor >= 0) ::close(*descriptor);
    *descriptor = -1;
  }
  return true;
}

bool SimProcess::running(std::string* status) {
  int how = 0;
  if (pid_ > 0 && !reaped(0, &how)) return true;
  if (status) *status = ended_.empty() ? "not started" : ended_;
  return false;
}

void SimProcess::keepErrors(int errors, int file) {
  std::string pending;
  char chunk[4096];
  auto keep = [&](std::string line) {
    // Whole lines only, so that the lines of programs sharing the file never interleave.
    if (file >= 0) (void)!::write(file, (line + "\n").data(), line.size() + 1);
    std::lock_guard lock(errorMutex_);
    errorLines_.push_back(std::move(line));
    if (errorLines_.size() > kKeptErrorLines) errorLines_.pop_front();
  };
  for (;;) {
    ssize_t n = ::read(errors, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    pending.append(chunk, static_cast<std::size_t>(n));
    for (auto newline = pending.find('\n'); newline != std::string::npos;
         newline = pending.find('\n')) {
      keep(pending.substr(0, newline));
      pending.erase(0, newline + 1);
    }
  }
  if (!pending.empty()) keep(pending);
  ::close(errors);
  if (file >= 0) ::close(file);
}

void SimProcess::joinErrorReader() {
  if (errorReader_.joinable()) errorReader_.join();
}

std::string SimProcess::lastErrorLines(std::size_t count) {
  // Once the program has ended its standard error ends too: every line is in.
  if (pid_ <= 0) joinErrorReader();
  std::lock_guard lock(errorMutex_);
  std::string text;
  for (std::size_t i = errorLines_.size() > count ? errorLines_.size() - count : 0;
       i < errorLines_.size(); ++i) {
    text.append(text.empty() ? "" : " | ").append(errorLines_[i]);
  }
  return text;
}

void SimProcess::kill() {
  if (pid_ <= 0) return;
  if (pidfd_ >= 0) {
    ::syscall(SYS_pidfd_send_signal, pidfd_, SIGKILL, nullptr, 0);
  } else {
    ::kill(pid_, SIGKILL);
  }
  int status = 0;
  reaped(-1, &status);
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
    if (reaped(reply_ >= 0 ? 20 : 0, &status)) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (Clock::now() >= deadline) break;
    if (reply_ < 0) ::usleep(2000);
  }
  kill();
  return std::nullopt;
}

}  // namespace simulator
