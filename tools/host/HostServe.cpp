#include "HostServe.h"

#include <atomic>
#include <cstdio>
#include <future>
#include <thread>

#include "HostServeReplies.h"
#include "foundation/Dispatch.h"

namespace {
// Carries out one line on the main thread and answers it; false when the host is to end.
bool answerLine(const std::string& line, std::size_t length, const HostIdentity& identity) {
  HostLineOutcome outcome = length > kMostHostLineBytes
                                ? HostLineOutcome{2, overlongLineError(line, length)}
                                : carryOutHostLine(line, identity);
  bool ends = outcome.status == 0;
  if (!outcome.status || ends) {
    std::printf("%s\n", kHostLineDone);
  } else {
    // The reason stays one line, whatever the action's words held.
    std::string reason = outcome.error;
    for (char& c : reason) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    std::printf("%s %d %s\n", kHostLineRefused, *outcome.status, reason.c_str());
  }
  std::fflush(stdout);
  return !ends;
}
}  // namespace

int serveHostLines(const HostIdentity& identity) {
  std::atomic<bool> ended{false};
  // The reader hands the main queue one line at a time and waits for its answer, so that a line
  // that runs the main loop itself (wait-idle, run) never runs the next line inside it.
  std::thread reader([&] {
    std::string line;
    std::size_t length = 0;
    while (readHostLine(stdin, &line, &length)) {
      std::promise<bool> answered;
      std::future<bool> goOn = answered.get_future();
      dispatch_async(dispatch_get_main_queue(),
                     [&, line, length] { answered.set_value(answerLine(line, length, identity)); });
      if (!goOn.get()) break;
    }
    dispatch_async(dispatch_get_main_queue(), [&] { ended = true; });
  });
  while (!ended) {
    standin::runMainLoopUntil([&] { return ended.load(); }, std::chrono::hours(1));
  }
  reader.join();
  return 0;
}
