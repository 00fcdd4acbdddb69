#include "foundation/NSFileHandle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "foundation/Device.h"
#include "foundation/DeviceFiles.h"
#include "foundation/NSValueTypes.h"

std::shared_ptr<NSFileHandle> NSFileHandle::fileHandleForReadingAtPath(const std::string& path) {
  int fd = standin::openFile(fileSystemRepresentation(path), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_shared<NSFileHandle>(fd);
}

NSFileHandle::~NSFileHandle() {
  closeFile();
}

uint64_t NSFileHandle::seekToEndOfFile() {
  off_t end = fd_ >= 0 ? ::lseek(fd_, 0, SEEK_END) : -1;
  return end < 0 ? 0 : static_cast<uint64_t>(end);
}

void NSFileHandle::seekToFileOffset(uint64_t offset) {
  if (fd_ >= 0) ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET);
}

std::shared_ptr<NSData> NSFileHandle::readDataOfLength(std::size_t length) {
  std::vector<uint8_t> bytes;
  // In pieces, so that a length far beyond the file's end costs no memory.
  uint8_t piece[65536];
  while (fd_ >= 0 && bytes.size() < length) {
    std::size_t want = std::min(sizeof piece, length - bytes.size());
    ssize_t n = ::read(fd_, piece, want);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    bytes.insert(bytes.end(), piece, piece + n);
  }
  return make<NSData>(std::move(bytes));
}

void NSFileHandle::closeFile() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}
