#include "foundation/NSLog.h"

#include "foundation/NSValueTypes.h"

#include <execinfo.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// One line carries at most this much of its message.
constexpr std::size_t kMostMessageBytes = 16 * 1024;
// A file that standard error goes to is not grown past this by the log: with every process
// holding the same bound, the file stays bounded however many processes append to it.
constexpr off_t kMostLogFileBytes = 16 * 1024 * 1024;

std::string boundedMessage(const std::string& message) {
  if (message.size() <= kMostMessageBytes) return message;
  std::size_t cut = kMostMessageBytes;
  while (cut > 0 && (static_cast<unsigned char>(message[cut]) & 0xC0) == 0x80) --cut;
  return message.substr(0, cut) + "... [" + std::to_string(message.size() - cut) +
         " bytes left out]";
}

bool standardErrorIsFull() {
  struct stat info {};
  return ::fstat(STDERR_FILENO, &info) == 0 && S_ISREG(info.st_mode) &&
         info.st_size >= kMostLogFileBytes;
}

std::string processName() {
  char path[4096];
  ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "process";
  path[n] = '\0';
  std::string name = path;
  auto slash = name.rfind('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}
}  // namespace

void NSLogString(const std::string& message) {
  // Never destroyed: a worker may still log while the process runs its exit handlers.
  static const std::string& name = *new std::string(processName());
  static std::mutex& lock = *new std::mutex;
  timeval now{};
  ::gettimeofday(&now, nullptr);
  tm local{};
  ::localtime_r(&now.tv_sec, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  static bool toldFull = false;
  std::lock_guard guard(lock);
  std::string text = boundedMessage(message);
  if (standardErrorIsFull()) {
    // Said once, so that the reader knows the later lines are missing.
    if (toldFull) return;
    toldFull = true;
    text = "the log is full: this process's later lines are left out";
  }
  std::fprintf(stderr, "%s.%03ld %s[%d:%lx] %s\n", stamp, static_cast<long>(now.tv_usec / 1000),
               name.c_str(), static_cast<int>(::getpid()),
               static_cast<unsigned long>(std::hash<std::thread::id>()(std::this_thread::get_id()) &
                                          0xfffff),
               text.c_str());
  std::fflush(stderr);
}

void NSLog(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string message = stringWithFormatArguments(format, arguments);
  va_end(arguments);
  NSLogString(message);
}

std::string callStackSymbols() {
  void* frames[64];
  int count = ::backtrace(frames, 64);
  char** symbols = ::backtrace_symbols(frames, count);
  std::string text = "(\n";
  for (int i = 0; symbols && i < count; ++i) {
    text += "    " + std::to_string(i) + "   " + symbols[i] + "\n";
  }
  std::free(symbols);
  return text + ")";
}
