// The device's answers to MobileGestalt questions, from the device profile.
#pragma once

#include <string>

#include "runtime/objc.h"

// A new string for "UniqueDeviceID" and "SerialNumber"; nil for any other question, or when the
// device has no such answer.
id MGCopyAnswer(const std::string& question);
