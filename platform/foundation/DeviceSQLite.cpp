// SQLite opens the device's databases, their journals and their folders by path with its own
// system calls. Its Unix file layer lets a process replace those calls: here they go through the
// device's own opener, so a database reached through a link cannot lie outside the device.
#include "foundation/DeviceSQLite.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "foundation/Device.h"
#include "foundation/DeviceFiles.h"

namespace standin {
namespace {

int openForSQLite(const char* path, int flags, int mode) {
  return openFile(path, flags, static_cast<mode_t>(mode));
}

// SQLite resolves a database's links itself, then opens what they lead to. A link on the device
// leads where it would lead on the phone, never out of the device.
ssize_t readLinkForSQLite(const char* path, char* buffer, size_t size) {
  ssize_t length = ::readlink(path, buffer, size);
  auto inDevice = pathInDevice(path);
  if (length <= 0 || !inDevice) return length;
  std::string target =
      deviceRoot() + "/" +
      linkTargetInDevice(*inDevice, std::string(buffer, static_cast<std::size_t>(length)));
  if (target.size() >= size) {
    errno = ENAMETOOLONG;
    return -1;
  }
  std::memcpy(buffer, target.data(), target.size());
  return static_cast<ssize_t>(target.size());
}

int unlinkForSQLite(const char* path) {
  auto entry = openFolderOf(path);
  return entry && ::unlinkat(entry->folder(), entry->name().c_str(), 0) == 0 ? 0 : -1;
}

}  // namespace

void confineSQLiteToDevice() {
  static std::once_flag once;
  std::call_once(once, [] {
    sqlite3_vfs* layer = sqlite3_vfs_find("unix");
    if (!layer || !layer->xSetSystemCall) return;
    layer->xSetSystemCall(layer, "open", reinterpret_cast<sqlite3_syscall_ptr>(&openForSQLite));
    layer->xSetSystemCall(layer, "readlink",
                          reinterpret_cast<sqlite3_syscall_ptr>(&readLinkForSQLite));
    layer->xSetSystemCall(layer, "unlink", reinterpret_cast<sqlite3_syscall_ptr>(&unlinkForSQLite));
  });
}

}  // namespace standin
