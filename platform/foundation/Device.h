// The simulated device a process runs on: its root folder, its profile and the identity of the
// running process. The system's fixed paths ("/private/var/mobile/...", "/tmp/...") are device
// paths; fileSystemRepresentation resolves them under the device root.
#pragma once

#include <optional>
#include <string>

struct DeviceProfile {
  std::string systemVersion = "9.0.2";
  std::string machine = "iPhone7,2";
  double scale = 2.0;
  double width = 375;  // points, portrait
  double height = 667;
  double nativeWidth = 750;  // pixels, portrait
  double nativeHeight = 1334;
  double nativeScale = 2.0;
  int idiom = 0;                 // 0 phone, 1 pad
  int layoutDirection = 0;       // 0 left to right, 1 right to left
  int statusBarOrientation = 1;  // 1 portrait, 3 landscape right, 4 landscape left
  std::string serialNumber = "C39PQ0XKG5MR";
  std::string uniqueIdentifier = "5f1a9c2be0d34a7f8c6e21b9d0a4f37e6c8b1d52";
  std::string region = "US";  // the phone-number region of the address book
  // The address of the mail account set up on the device; empty when there is none.
  std::string mailAccount;
  // Which selectors the screen answers. nativeBounds and nativeScale came with version 8.
  bool screenAnswersNativeBounds = true;
  bool screenAnswersDisplayLink = true;
  bool deviceAnswersIdiom = true;

  // Defaults that follow from the system version and the screen (native bounds, answers).
  void deriveFromScreen();
};

namespace standin {

// The device root of this process ("/" on a phone). Setting it loads the profile found there.
void setDeviceRoot(const std::string& folder);
const std::string& deviceRoot();
const DeviceProfile& deviceProfile();
// Replaces the profile of this process (tests); does not write it.
void setDeviceProfile(const DeviceProfile& profile);

// The profile file of a device root, and reading and writing it.
std::string profilePath(const std::string& root);
std::optional<DeviceProfile> readProfile(const std::string& root);
// The same, saying in *reason why a profile could not be read ("does not exist", "is a folder").
std::optional<DeviceProfile> readProfile(const std::string& root, std::string* reason);
bool writeProfile(const std::string& root, const DeviceProfile& profile);
// Lays out a device root: the mobile user's home, its preferences, the "User" and "var" links,
// /tmp, and the profile.
bool initDevice(const std::string& root, const DeviceProfile& profile, std::string* error);

// The bundle identifier of this process's main bundle; nothing for a process without one.
void setMainBundleIdentifier(std::optional<std::string> identifier);

}  // namespace standin

// The real path of a device path. Relative paths are taken from the process's working
// directory, which on the device is the root.
std::string fileSystemRepresentation(const std::string& devicePath);

// The mobile user's home as a device path.
std::string NSHomeDirectory();

#include "foundation/NSBundle.h"
