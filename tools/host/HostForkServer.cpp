#include "HostForkServer.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <thread>

#include "addressbook/PhoneNumberWarmUp.h"
#include "uikit/TextWarmUp.h"

namespace {
constexpr std::size_t kMostRequestBytes = 1 << 20;
constexpr int kRequestDescriptors = 4;  // standard input, output, error, the reply socket

// fork() copies only the calling thread: the server forks only while it has no other (pango
// starts one to read the fonts, which ends once they are read).
bool becomeSingleThreaded(std::chrono::milliseconds patience) {
  auto deadline = std::chrono::steady_clock::now() + patience;
  for (;;) {
    std::error_code error;
    auto tasks = std::distance(std::filesystem::directory_iterator("/proc/self/task", error),
                               std::filesystem::directory_iterator());
    if (!error && tasks == 1) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

bool sendText(int socket, const std::string& text, int descriptor = -1) {
  iovec part{const_cast<char*>(text.data()), text.size()};
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
  if (descriptor >= 0) {
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(header), &descriptor, sizeof(int));
  }
  ssize_t sent;
  do {
    sent = ::sendmsg(socket, &message, MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  return sent == static_cast<ssize_t>(text.size());
}

struct Request {
  std::vector<std::string> arguments;
  int descriptors[kRequestDescriptors] = {-1, -1, -1, -1};
};

// The next request; nothing at the end of the socket. A malformed request is closed and skipped.
std::optional<Request> receiveRequest(int socket, bool* ended) {
  std::vector<char> bytes(kMostRequestBytes);
  iovec part{bytes.data(), bytes.size()};
  alignas(cmsghdr) char control[CMSG_SPACE(kRequestDescriptors * sizeof(int))];
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  ssize_t received;
  do {
    received = ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
  } while (received < 0 && errno == EINTR);
  if (received <= 0) {
    *ended = true;
    return std::nullopt;
  }
  Request request;
  std::size_t count = 0;
  for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
    if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS) continue;
    std::size_t here = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
    for (std::size_t i = 0; i < here; ++i) {
      int descriptor;
      std::memcpy(&descriptor, CMSG_DATA(header) + i * sizeof(int), sizeof(int));
      if (count < kRequestDescriptors) {
        request.descriptors[count] = descriptor;
      } else {
        ::close(descriptor);
      }
      ++count;
    }
  }
  bool whole = count == kRequestDescriptors && !(message.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) &&
               bytes[static_cast<std::size_t>(received) - 1] == '\0';
  if (!whole) {
    for (int descriptor : request.descriptors) {
      if (descriptor >= 0) ::close(descriptor);
    }
    return std::nullopt;
  }
  for (std::size_t at = 0; at < static_cast<std::size_t>(received);) {
    std::size_t end = std::strlen(bytes.data() + at);
    request.arguments.emplace_back(bytes.data() + at, end);
    at += end + 1;
  }
  return request;
}

// In the child: the server's descriptors closed, the request's in place, signals as a program
// started afresh has them.
void becomeChild(const Request& request, int requests, int children,
                 const std::map<pid_t, int>& replies, const sigset_t& original) {
  ::close(requests);
  ::close(children);
  for (const auto& [pid, reply] : replies) ::close(reply);
  ::close(request.descriptors[3]);
  for (int target = 0; target < 3; ++target) {
    ::dup2(request.descriptors[target], target);  // dup2 clears close-on-exec
  }
  for (int target = 0; target < 3; ++target) {
    if (request.descriptors[target] > 2) ::close(request.descriptors[target]);
  }
  ::signal(SIGCHLD, SIG_DFL);
  ::sigprocmask(SIG_SETMASK, &original, nullptr);
}
}  // namespace

std::optional<std::vector<std::string>> serveForks(int requests, int* status) {
  *status = 0;
  standin::warmUpTextDrawing();
  standin::warmUpPhoneNumbers();
  if (!becomeSingleThreaded(std::chrono::seconds(10))) {
    std::fprintf(stderr, "talvocb-host: the fork server still has threads after warming up\n");
    *status = 1;
    return std::nullopt;
  }
  // Children's ends arrive on a signalfd, so that the loop waits on one poll.
  sigset_t childEnded, original;
  sigemptyset(&childEnded);
  sigaddset(&childEnded, SIGCHLD);
  ::sigprocmask(SIG_BLOCK, &childEnded, &original);
  int children = ::signalfd(-1, &childEnded, SFD_CLOEXEC | SFD_NONBLOCK);
  if (children < 0 || !sendText(requests, "ready")) {
    *status = 1;
    return std::nullopt;
  }
  std::fflush(nullptr);  // a child must not write what the server had buffered
  std::map<pid_t, int> replies;
  for (bool ended = false; !ended || !replies.empty();) {
    pollfd waits[2] = {{children, POLLIN, 0}, {ended ? -1 : requests, POLLIN, 0}};
    if (::poll(waits, 2, -1) < 0 && errno != EINTR) break;
    if (waits[0].revents) {
      signalfd_siginfo info;
      while (::read(children, &info, sizeof info) == sizeof info) {
      }
      int how = 0;
      for (pid_t pid; (pid = ::waitpid(-1, &how, WNOHANG)) > 0;) {
        auto reply = replies.find(pid);
        if (reply == replies.end()) continue;
        sendText(reply->second, "status " + std::to_string(how));
        ::close(reply->second);
        replies.erase(reply);
      }
    }
    if (ended || !(waits[1].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    std::optional<Request> request = receiveRequest(requests, &ended);
    if (!request) continue;
    pid_t pid = ::fork();
    if (pid == 0) {
      becomeChild(*request, requests, children, replies, original);
      return request->arguments;
    }
    for (int target = 0; target < 3; ++target) ::close(request->descriptors[target]);
    int reply = request->descriptors[3];
    if (pid < 0) {
      sendText(reply, std::string("failed ") + std::strerror(errno));
      ::close(reply);
      continue;
    }
    // glibc 2.36 declares pidfd_open without C linkage for C++: the system call itself.
    int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    sendText(reply, "pid " + std::to_string(pid), pidfd);
    if (pidfd >= 0) ::close(pidfd);
    replies[pid] = reply;
  }
  return std::nullopt;
}
