#pragma once

// Appends this process's standard error to the log file. Start-up goes on when it cannot.
void redirectStandardErrorToLogFile();
