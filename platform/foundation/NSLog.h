// The platform log: one line per call on standard error, with a time stamp and the process. A
// message longer than 16 KiB is cut, with a marker saying how much was left out; a file that
// standard error goes to is not grown past 16 MiB.
#pragma once

#include <string>

void NSLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
void NSLogString(const std::string& message);

// The current call stack, one frame a line (callStackSymbols).
std::string callStackSymbols();
