#include "Subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
pid_t spawn(const std::vector<std::string>& argv, int out, int err) {
  std::vector<char*> args;
  std::string path = binary(argv.at(0));
  args.push_back(path.data());
  std::vector<std::string> rest(argv.begin() + 1, argv.end());
  for (std::string& arg : rest) args.push_back(arg.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
  if (err >= 0) posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
  pid_t pid = -1;
  if (posix_spawn(&pid, path.c_str(), &actions, nullptr, args.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int exitStatus(pid_t pid) {
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) < 0) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
}  // namespace

std::string binary(const std::string& name) {
  return name.find('/') == std::string::npos ? std::string(TALVOCB_BIN_DIR) + "/" + name : name;
}

ProcessResult runProgram(const std::vector<std::string>& argv, const RunOptions& options) {
  std::string path = binary(argv.at(0));
  std::vector<std::string> words(argv);
  std::vector<char*> args{path.data()};
  for (std::size_t i = 1; i < words.size(); ++i) args.push_back(words[i].data());
  args.push_back(nullptr);
  int in[2], out[2], err[2];
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
    return {};
  }
  pid_t pid = ::fork();
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec.
    ::dup2(in[0], STDIN_FILENO);
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    if (options.fileSizeLimit) {
      rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(127);
    }
    ::execv(path.c_str(), args.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  ::signal(SIGPIPE, SIG_IGN);
  ProcessResult result;
  std::size_t written = 0;
  pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {in[1], POLLOUT, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  if (options.input.empty()) {
    ::close(in[1]);
    fds[2].fd = -1;
  }
  int open = 2;
  while (open > 0 && ::poll(fds, 3, 60000) > 0) {
    if (fds[2].fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      ssize_t n = ::write(in[1], options.input.data() + written, options.input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if (n <= 0 || written == options.input.size()) {
        ::close(in[1]);
        fds[2].fd = -1;
      }
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char chunk[4096];
      ssize_t n = ::read(fds[i].fd, chunk, sizeof chunk);
      if (n > 0) {
        sinks[i]->append(chunk, static_cast<std::size_t>(n));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (pollfd& fd : fds) {
    if (fd.fd >= 0) ::close(fd.fd);
  }
  result.status = exitStatus(pid);
  return result;
}

ProcessResult runProgram(const std::vector<std::string>& argv) {
  return runProgram(argv, RunOptions{});
}

RunningProgram::RunningProgram(const std::vector<std::string>& argv)
    : RunningProgram(argv, std::string()) {}

RunningProgram::RunningProgram(const std::vector<std::string>& argv, const std::string& errorPath) {
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return;
  int err = errorPath.empty()
                ? -1
                : ::open(errorPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  pid_ = spawn(argv, out[1], err);
  ::close(out[1]);
  if (err >= 0) ::close(err);
  out_ = out[0];
}

RunningProgram::~RunningProgram() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    exitStatus(pid_);
  }
  if (out_ >= 0) ::close(out_);
}

std::optional<std::string> RunningProgram::readLine(std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    auto newline = buffer_.find('\n');
    if (newline != std::string::npos) {
      std::string line = buffer_.substr(0, newline);
      buffer_.erase(0, newline + 1);
      return line;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || out_ < 0) return std::nullopt;
    pollfd fd{out_, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
    char chunk[4096];
    ssize_t n = ::read(out_, chunk, sizeof chunk);
    if (n <= 0) return std::nullopt;
    buffer_.append(chunk, static_cast<std::size_t>(n));
  }
}

bool RunningProgram::waitForLine(const std::string& expected, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    auto line = readLine(left);
    if (!line) return false;
    if (*line == expected) return true;
  }
  return false;
}

int RunningProgram::wait() {
  int status = exitStatus(pid_);
  pid_ = -1;
  return status;
}
