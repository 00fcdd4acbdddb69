// The device's machine identifier and model name.
#pragma once

#include <string>

#include "runtime/objc.h"

class TALCBUIDeviceHardware : public NSObject {
 public:
  static Class class_();
  TALCBUIDeviceHardware() : NSObject(class_()) {}
  // The kernel's "hw.machine", such as iPhone7,2.
  std::string platform() const;
  // The model name of the identifier.
  std::string platformString() const;
  static std::string platformString(const std::string& machine);
};
