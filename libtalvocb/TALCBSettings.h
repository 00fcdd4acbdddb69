// The add-on's seven switches, read from the settings file; one shared instance per process.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <string>

#include "runtime/objc.h"

class TALCBSettings : public NSObject {
 public:
  static Class class_();
  static std::shared_ptr<TALCBSettings> sharedSettings();
  TALCBSettings();  // init: reads the file

  // Re-reads the file into the seven switches; a missing or unreadable file reads all off.
  void loadSettings();
  std::string description() const override;

  bool isTalvoCBEnabled() const { return _isTalvoCBEnabled.load(std::memory_order_relaxed); }
  bool isRoundedPicsEnabled() const {
    return _isRoundedPicsEnabled.load(std::memory_order_relaxed);
  }
  bool isMonogramEnabled() const { return _isMonogramEnabled.load(std::memory_order_relaxed); }
  bool isShowPicturesOnFavorites() const {
    return _isShowPicturesOnFavorites.load(std::memory_order_relaxed);
  }
  bool isShowPicturesOnPhone() const {
    return _isShowPicturesOnPhone.load(std::memory_order_relaxed);
  }
  bool isShowPicturesOnRecents() const {
    return _isShowPicturesOnRecents.load(std::memory_order_relaxed);
  }
  bool isShowPicturesOnContacts() const {
    return _isShowPicturesOnContacts.load(std::memory_order_relaxed);
  }
  void setIsTalvoCBEnabled(bool v) { _isTalvoCBEnabled.store(v, std::memory_order_relaxed); }
  void setIsRoundedPicsEnabled(bool v) {
    _isRoundedPicsEnabled.store(v, std::memory_order_relaxed);
  }
  void setIsMonogramEnabled(bool v) { _isMonogramEnabled.store(v, std::memory_order_relaxed); }
  void setIsShowPicturesOnFavorites(bool v) {
    _isShowPicturesOnFavorites.store(v, std::memory_order_relaxed);
  }
  void setIsShowPicturesOnPhone(bool v) {
    _isShowPicturesOnPhone.store(v, std::memory_order_relaxed);
  }
  void setIsShowPicturesOnRecents(bool v) {
    _isShowPicturesOnRecents.store(v, std::memory_order_relaxed);
  }
  void setIsShowPicturesOnContacts(bool v) {
    _isShowPicturesOnContacts.store(v, std::memory_order_relaxed);
  }

 private:
  // Atomic: the main thread reads the file again on a change notification while workers drawing
  // pictures read the switches. Each switch stands alone, so no order among them is needed.
  std::atomic<bool> _isTalvoCBEnabled = false;
  std::atomic<bool> _isRoundedPicsEnabled = false;
  std::atomic<bool> _isMonogramEnabled = false;
  std::atomic<bool> _isShowPicturesOnFavorites = false;
  std::atomic<bool> _isShowPicturesOnPhone = false;
  std::atomic<bool> _isShowPicturesOnRecents = false;
  std::atomic<bool> _isShowPicturesOnContacts = false;
};

// The settings file and its keys, shared by the loader, the start-up and the settings tools.
namespace TalvoCBSettingsFile {
inline constexpr const char* kFileName = "com.quorvik.TalvoCB.plist";
inline constexpr const char* kPreferencesFolder = "Library/Preferences";
// In reading and completion order.
inline constexpr std::array<const char*, 7> kKeys = {
    "TalvoCBEnabled",          "TalvoCBEnabledRoundedPictures", "TalvoCBEnabledMonogramPictures",
    "TalvoCBEnabledFavorites", "TalvoCBEnabledPhone",           "TalvoCBEnabledRecents",
    "TalvoCBEnabledContacts"};
// The path the writers use: the home directory's preferences.
std::string pathInHome();
// The Darwin notification announced when a key changes: "com.quorvik.TalvoCB" + the key's
// suffix + "EnabledNotification".
std::string notificationForKey(const std::string& key);
// The start-up completion: creates the file with every switch on, or adds missing switches as
// on, through the file's one locked read-modify-write (PropertyListFile::update). An existing file
// that does not read as a dictionary is left as it is. Answers whether the file was written; when
// not, why.
bool completeAtStartup(std::string* reason = nullptr);
}  // namespace TalvoCBSettingsFile
