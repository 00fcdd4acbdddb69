#include "SimForkServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "SimProcess.h"

extern char** environ;

namespace simulator {

namespace {
constexpr int kReadyMilliseconds = 20000;

// One message; its descriptor, if one came with it, in *descriptor.
std::optional<std::string> receiveText(int socket, int milliseconds, int* descriptor = nullptr) {
  pollfd wait{socket, POLLIN, 0};
  int ready;
  do {
    ready = ::poll(&wait, 1, milliseconds);
  } while (ready < 0 && errno == EINTR);
  if (ready <= 0) return std::nullopt;
  char text[256];
  iovec part{text, sizeof text};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  ssize_t received;
  do {
    received = ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
  } while (received < 0 && errno == EINTR);
  if (received <= 0) return std::string();
  for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
    if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS) continue;
    int passed;
    std::memcpy(&passed, CMSG_DATA(header), sizeof passed);
    if (descriptor && *descriptor < 0) {
      *descriptor = passed;
    } else {
      ::close(passed);
    }
  }
  return std::string(text, static_cast<std::size_t>(received));
}
}  // namespace

SimForkServer::SimForkServer(const std::string& host, const std::string& errorFile) : host_(host) {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0644);
  // The server, and so each child, starts with no signal blocked or ignored.
  posix_spawnattr_t attributes;
  initCleanSignalAttributes(&attributes);
  std::string program = host, flag = "--fork-server";
  char* argv[] = {program.data(), flag.data(), nullptr};
  int spawned = posix_spawn(&server_, program.c_str(), &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  ::close(ends[1]);
  if (spawned != 0) {
    server_ = -1;
    ::close(ends[0]);
    return;
  }
  starting_ = ends[0];
}

bool SimForkServer::started() {
  std::call_once(ready_, [this] {
    if (starting_ < 0) return;
    if (receiveText(starting_, kReadyMilliseconds) != "ready") {
      ::close(starting_);
      ::kill(server_, SIGKILL);
      ::waitpid(server_, nullptr, 0);
      server_ = -1;
    } else {
      requests_ = starting_;
    }
    starting_ = -1;
  });
  return requests_ >= 0;
}

SimForkServer::~SimForkServer() {
  if (starting_ >= 0) ::close(starting_);  // never asked for: ends as soon as it is ready
  if (requests_ >= 0) ::close(requests_);  // the server ends once its children have
  if (server_ > 0) ::waitpid(server_, nullptr, 0);
}

std::optional<SimForkServer::Child> SimForkServer::start(const std::vector<std::string>& argv,
                                                         int in, int out, int err) {
  if (!started() || argv.empty()) return std::nullopt;
  int reply[2];
  if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, reply) != 0) return std::nullopt;
  std::string words;
  for (const std::string& word : argv) words.append(word).push_back('\0');
  iovec part{words.data(), words.size()};
  int descriptors[4] = {in, out, err, reply[1]};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof descriptors)] = {};
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  cmsghdr* header = CMSG_FIRSTHDR(&message);
  header->cmsg_level = SOL_SOCKET;
  header->cmsg_type = SCM_RIGHTS;
  header->cmsg_len = CMSG_LEN(sizeof descriptors);
  std::memcpy(CMSG_DATA(header), descriptors, sizeof descriptors);
  ssize_t sent;
  {
    std::lock_guard lock(sending_);
    do {
      sent = ::sendmsg(requests_, &message, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
  }
  ::close(reply[1]);
  Child child;
  std::optional<std::string> answer;
  if (sent == static_cast<ssize_t>(words.size())) {
    answer = receiveText(reply[0], kReadyMilliseconds, &child.pidfd);
  }
  if (!answer || answer->rfind("pid ", 0) != 0) {
    if (child.pidfd >= 0) ::close(child.pidfd);
    ::close(reply[0]);
    return std::nullopt;
  }
  child.pid = static_cast<pid_t>(std::stol(answer->substr(4)));
  child.reply = reply[0];
  return child;
}

std::optional<int> awaitForkedEnd(int reply, int milliseconds) {
  std::optional<std::string> answer = receiveText(reply, milliseconds);
  if (!answer) return std::nullopt;
  if (answer->rfind("status ", 0) == 0) return std::stoi(answer->substr(7));
  return SIGKILL;  // the server went away: the child was killed with it, or is lost to us
}

}  // namespace simulator
