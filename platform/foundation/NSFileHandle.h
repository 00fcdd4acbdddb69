// A file handle for reading a device path a piece at a time, so that a reader can take the end of
// a large file without reading the rest.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class NSData;

class NSFileHandle {
 public:
  // Nothing when the path cannot be opened or is not a regular file (a FIFO is never waited on).
  static std::shared_ptr<NSFileHandle> fileHandleForReadingAtPath(const std::string& path);
  explicit NSFileHandle(int fd) : fd_(fd) {}
  ~NSFileHandle();
  NSFileHandle(const NSFileHandle&) = delete;
  NSFileHandle& operator=(const NSFileHandle&) = delete;

  // The file's length, where the handle now stands.
  uint64_t seekToEndOfFile();
  void seekToFileOffset(uint64_t offset);
  // Up to `length` bytes from where the handle stands; fewer at the end of the file.
  std::shared_ptr<NSData> readDataOfLength(std::size_t length);
  void closeFile();

 private:
  int fd_;
};
