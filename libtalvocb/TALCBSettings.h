// The add-on's seven switches, read from the settings file; one shared instance per process.
#pragma once

#include <array>
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

  bool isTalvoCBEnabled() const { return _isTalvoCBEnabled; }
  bool isRoundedPicsEnabled() const { return _isRoundedPicsEnabled; }
  bool isMonogramEnabled() const { return _isMonogramEnabled; }
  bool isShowPicturesOnFavorites() const { return _isShowPicturesOnFavorites; }
  bool isShowPicturesOnPhone() const { return _isShowPicturesOnPhone; }
  bool isShowPicturesOnRecents() const { return _isShowPicturesOnRecents; }
  bool isShowPicturesOnContacts() const { return _isShowPicturesOnContacts; }
  void setIsTalvoCBEnabled(bool v) { _isTalvoCBEnabled = v; }
  void setIsRoundedPicsEnabled(bool v) { _isRoundedPicsEnabled = v; }
  void setIsMonogramEnabled(bool v) { _isMonogramEnabled = v; }
  void setIsShowPicturesOnFavorites(bool v) { _isShowPicturesOnFavorites = v; }
  void setIsShowPicturesOnPhone(bool v) { _isShowPicturesOnPhone = v; }
  void setIsShowPicturesOnRecents(bool v) { _isShowPicturesOnRecents = v; }
  void setIsShowPicturesOnContacts(bool v) { _isShowPicturesOnContacts = v; }

 private:
  // Single bytes, written whole: a reader on another thread sees each flag old or new.
  bool _isTalvoCBEnabled = false;
  bool _isRoundedPicsEnabled = false;
  bool _isMonogramEnabled = false;
  bool _isShowPicturesOnFavorites = false;
  bool _isShowPicturesOnPhone = false;
  bool _isShowPicturesOnRecents = false;
  bool _isShowPicturesOnContacts = false;
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
// An advisory lock (flock) on a lock file beside the settings file, held while a writer reads,
// changes and writes back the dictionary, so that two writers of different keys lose nothing.
class WriteLock {
 public:
  WriteLock();
  ~WriteLock();
  WriteLock(const WriteLock&) = delete;
  WriteLock& operator=(const WriteLock&) = delete;
  // Whether the lock is held; when not, why.
  bool held() const { return fd_ >= 0; }
  const std::string& failure() const { return failure_; }

 private:
  int fd_ = -1;
  std::string failure_;
};
// The start-up completion: creates the file with every switch on, or adds missing switches as
// on, under the write lock. An existing file that does not read as a dictionary is left as it
// is. Answers whether the file was written; when not, why.
bool completeAtStartup(std::string* reason = nullptr);
}  // namespace TalvoCBSettingsFile
