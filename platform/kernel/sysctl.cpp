#include "kernel/sysctl.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "foundation/Device.h"

extern "C" int sysctlbyname(const char* name, void* oldp, std::size_t* oldlenp, void* newp,
                            std::size_t /*newlen*/) {
  if (!name || !oldlenp || newp || std::strcmp(name, "hw.machine") != 0) {
    errno = ENOENT;
    return -1;
  }
  const std::string& machine = standin::deviceProfile().machine;
  std::size_t needed = machine.size() + 1;
  if (!oldp) {
    *oldlenp = needed;
    return 0;
  }
  if (*oldlenp < needed) {
    errno = ENOMEM;
    return -1;
  }
  std::memcpy(oldp, machine.c_str(), needed);
  *oldlenp = needed;
  return 0;
}
