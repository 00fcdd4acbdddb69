// A property-list file that several processes write: each writer reads the dictionary afresh,
// changes only its own keys and writes it back atomically, all under an exclusive flock on a lock
// file beside it ("PATH.lock"), so that writers of different keys never undo each other.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

namespace PropertyListFile {

enum class UpdateStatus {
  Written,     // the file now holds the changes
  Unchanged,   // it held them already: nothing was written
  Unreadable,  // it exists but is no dictionary: left as it is
  Failed,      // the lock could not be taken or the file not written
};

struct UpdateResult {
  UpdateStatus status = UpdateStatus::Failed;
  // Why, when not written or unchanged.
  std::string reason;
  // The dictionary as the file now holds it (as it would have, when the write failed); nil when
  // the file is unreadable or the lock was not taken.
  std::shared_ptr<NSDictionary> contents;
  bool ok() const { return status == UpdateStatus::Written || status == UpdateStatus::Unchanged; }
};

// Holds the exclusive lock of the file at a device path while it lives. Waits for another holder
// at most the wait limit (5 s unless set), then is not held and says why.
class Lock {
 public:
  explicit Lock(const std::string& path);
  static void setWaitLimit(std::chrono::milliseconds limit);
  ~Lock();
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
  bool held() const { return fd_ >= 0; }
  const std::string& failure() const { return failure_; }

 private:
  int fd_ = -1;
  std::string failure_;
};

// Under the lock: reads the file (a missing one as empty), lets change edit the dictionary and
// answer whether it changed anything, and writes it back only then, and only when the dictionary
// in the format asked for is not byte for byte what the file holds already.
UpdateResult update(const std::string& path, NSPropertyListFormat format,
                    const std::function<bool(NSDictionary&)>& change);
// Sets each key to its value (nil removes the key).
UpdateResult update(const std::string& path, const std::map<std::string, id>& changes,
                    NSPropertyListFormat format);

// Files this process has written through update, for tests that count writes.
unsigned long writesSoFar();

}  // namespace PropertyListFile
