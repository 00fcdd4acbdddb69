// UIDevice (TalvoCB): the device's identifiers as MobileGestalt answers them.
#pragma once

#include <memory>
#include <optional>
#include <string>

class UIDevice;

// A copy of the "UniqueDeviceID" answer; nothing when it is missing.
std::optional<std::string> UDID(const std::shared_ptr<UIDevice>& self);
// A copy of the "SerialNumber" answer; nothing when it is missing.
std::optional<std::string> serialNumber(const std::shared_ptr<UIDevice>& self);
