// The Darwin notify center between the processes of one simulated device. Every process that
// observes a name listens on a datagram socket and leaves its process identifier in a folder of
// the device; a post sends the name to every listener found there. Names are delivered on the
// listening process's main queue, as the platform delivers them on the main thread.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "foundation/Device.h"
#include "foundation/DeviceFiles.h"
#include "foundation/Dispatch.h"
#include "foundation/NSNotificationCenter.h"

struct __CFNotificationCenter {};

namespace {

constexpr const char* kListenerFolder = "/private/var/run/notifyd";

struct Observer {
  const void* observer;
  CFNotificationCallback callback;
  std::string name;
};

struct DarwinState {
  std::mutex lock;
  std::vector<Observer> observers;
  bool listening = false;
  std::string registration;  // real path of this process's entry in the listener folder
  std::atomic<int> listener{-1};
  std::mutex delivery;  // held from a name's receipt until it is on the main queue
};
// Never destroyed: the listener thread uses it while the process exits.
DarwinState& darwin() {
  static auto* state = new DarwinState;
  return *state;
}

// Abstract socket addresses: nothing on disk to go stale, and no path-length limit on the root.
sockaddr_un listenerAddress(pid_t pid, socklen_t* length) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string name = "talvocb-notify-" +
                     std::to_string(std::hash<std::string>()(standin::deviceRoot())) + "-" +
                     std::to_string(pid);
  std::memcpy(address.sun_path + 1, name.data(), name.size());
  *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  return address;
}

void deliver(const std::string& name) {
  std::vector<Observer> targets;
  {
    std::lock_guard guard(darwin().lock);
    for (const Observer& o : darwin().observers) {
      if (o.name == name) targets.push_back(o);
    }
  }
  for (const Observer& o : targets) {
    o.callback(CFNotificationCenterGetDarwinNotifyCenter(), const_cast<void*>(o.observer), name,
               nullptr, nullptr);
  }
}

void unregister() {
  if (!darwin().registration.empty()) standin::removeFile(darwin().registration);
}

// Starts this process's listener; called with the state locked.
void startListening() {
  int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  socklen_t length = 0;
  sockaddr_un address = listenerAddress(::getpid(), &length);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
    ::close(fd);
    return;
  }
  std::string folder = fileSystemRepresentation(kListenerFolder);
  standin::createFolders(folder);
  darwin().registration = folder + "/" + std::to_string(::getpid());
  // Never through a link: an entry planted in its place stays as it is.
  int entry =
      standin::openFile(darwin().registration, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK, 0644);
  if (entry >= 0) ::close(entry);
  std::atexit(unregister);
  darwin().listening = true;
  darwin().listener = fd;
  std::thread([fd] {
    char buffer[1024];
    for (;;) {
      pollfd ready{fd, POLLIN, 0};
      if (::poll(&ready, 1, -1) < 0) {
        if (errno == EINTR) continue;
        return;
      }
      // Taken from the socket and queued in one step, so that darwinDeliveryPending never finds
      // a name in neither place.
      std::lock_guard delivering(darwin().delivery);
      ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n < 0) return;
      std::string name(buffer, static_cast<std::size_t>(n));
      dispatch_async(dispatch_get_main_queue(), [name] { deliver(name); });
    }
  }).detach();
}

}  // namespace

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter() {
  static __CFNotificationCenter center;
  return &center;
}

void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callback, const std::string& name,
                                     const void* /*object*/,
                                     CFNotificationSuspensionBehavior /*behavior*/) {
  if (!center || !callback || name.empty()) return;
  std::lock_guard guard(darwin().lock);
  darwin().observers.push_back({observer, callback, name});
  if (!darwin().listening) startListening();
}

void CFNotificationCenterPostNotification(CFNotificationCenterRef center, const std::string& name,
                                          const void* /*object*/, const void* /*userInfo*/,
                                          bool /*deliverImmediately*/) {
  if (!center || name.empty() || name.size() > 1000) return;
  std::string folder = fileSystemRepresentation(kListenerFolder);
  int folderFd = standin::openFile(folder, O_RDONLY | O_DIRECTORY);
  DIR* dir = folderFd >= 0 ? ::fdopendir(folderFd) : nullptr;
  if (!dir) {
    if (folderFd >= 0) ::close(folderFd);
    return;
  }
  int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  while (dirent* entry = ::readdir(dir)) {
    char* end = nullptr;
    long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || !end || *end != '\0') continue;
    socklen_t length = 0;
    sockaddr_un address = listenerAddress(static_cast<pid_t>(pid), &length);
    for (int attempt = 0; fd >= 0 && attempt < 50; ++attempt) {
      ssize_t sent = ::sendto(fd, name.data(), name.size(), MSG_DONTWAIT,
                              reinterpret_cast<sockaddr*>(&address), length);
      if (sent >= 0) break;
      if (errno == ECONNREFUSED || errno == ENOENT) {
        // The listener is gone: forget its entry.
        ::unlinkat(::dirfd(dir), entry->d_name, 0);
        break;
      }
      if (errno != EAGAIN && errno != EINTR) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  if (fd >= 0) ::close(fd);
  ::closedir(dir);
}

namespace standin {
bool darwinDeliveryPending() {
  int fd = darwin().listener;
  if (fd < 0) return false;
  std::lock_guard delivering(darwin().delivery);
  char byte;
  return ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) >= 0;
}

std::size_t darwinObserverCount() {
  std::lock_guard guard(darwin().lock);
  return darwin().observers.size();
}
}  // namespace standin
