// The platform log: one line per call on standard error, with a time stamp and the process.
#pragma once

#include <string>

void NSLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
void NSLogString(const std::string& message);

// The current call stack, one frame a line (callStackSymbols).
std::string callStackSymbols();
