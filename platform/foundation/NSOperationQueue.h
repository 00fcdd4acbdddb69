// A queue of block operations run on worker threads, up to a number at once.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>

#include "runtime/objc.h"

// The platform's "let the system choose" width: the machine's hardware concurrency.
constexpr long NSOperationQueueDefaultMaxConcurrentOperationCount = -1;

class NSOperationQueue : public NSObject {
 public:
  static Class class_();
  NSOperationQueue();
  // Lets queued operations finish, then stops the workers. A queue released by one of its own
  // operations leaves that worker to finish on its own.
  ~NSOperationQueue() override;

  // Workers start when operations need them, up to the width.
  void addOperationWithBlock(std::function<void()> block);
  void waitUntilAllOperationsAreFinished();

  long maxConcurrentOperationCount() const;
  void setMaxConcurrentOperationCount(long count);
  // Operations queued or running.
  std::size_t operationCount() const;
  // Operations queued or running on every queue of the process that still exists.
  static std::size_t operationCountOfAllQueues();

  struct State;  // the queue's work, shared with its workers; opaque outside the queue

 private:
  std::shared_ptr<State> state_;  // shared with the workers, which may outlive the queue
};
