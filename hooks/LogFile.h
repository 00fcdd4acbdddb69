#pragma once

// Appends this process's standard error to the log file, first moving a log past 8 MiB to
// "quorvik.log.1" (the one previous log kept). Start-up goes on when it cannot.
void redirectStandardErrorToLogFile();
