#include "TALCBSettings.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "TalvoCBLog.h"
#include "foundation/Device.h"
#include "foundation/NSFileManager.h"
#include "foundation/NSValueTypes.h"

SIM_DEFINE_CLASS(TALCBSettings, NSObject)

std::shared_ptr<TALCBSettings> TALCBSettings::sharedSettings() {
  // Never destroyed: workers still drawing pictures while the process exits read the switches.
  static auto* shared = new std::shared_ptr<TALCBSettings>();
  static std::once_flag once;
  std::call_once(once, [] {
    TALCB_INFO("+[TALCBSettings sharedSettings]", "Initiallizing settings for first time..");
    *shared = make<TALCBSettings>();
  });
  return *shared;
}

TALCBSettings::TALCBSettings() : NSObject(class_()) {
  loadSettings();
}

void TALCBSettings::loadSettings() {
  // Relative to the working directory, the root, where "User" leads to the mobile user's home:
  // every host process reads the one file, whatever its own home.
  std::string path = stringByAppendingPathComponent(
      stringByAppendingPathComponent("User", TalvoCBSettingsFile::kPreferencesFolder),
      TalvoCBSettingsFile::kFileName);
  auto settings = NSDictionary::dictionaryWithContentsOfFile(path);
  auto read = [&](const char* key) { return settings && boolValue(settings->objectForKey(key)); };
  setIsTalvoCBEnabled(read("TalvoCBEnabled"));
  setIsRoundedPicsEnabled(read("TalvoCBEnabledRoundedPictures"));
  setIsMonogramEnabled(read("TalvoCBEnabledMonogramPictures"));
  setIsShowPicturesOnFavorites(read("TalvoCBEnabledFavorites"));
  setIsShowPicturesOnPhone(read("TalvoCBEnabledPhone"));
  setIsShowPicturesOnRecents(read("TalvoCBEnabledRecents"));
  setIsShowPicturesOnContacts(read("TalvoCBEnabledContacts"));
  TALCB_INFO("-[TALCBSettings loadSettings]", "Loading settings completed..");
}

std::string TALCBSettings::description() const {
  return stringWithFormat(
      "Talvo For CallBar Enabled: %d\nRound Pictures Enabled: %d\nMonogram Enabled: %d\nTalvo on "
      "Favorites: %d\nTalvo on Recents:%d\nTalvo on Contacts:%d.",
      isTalvoCBEnabled(), isRoundedPicsEnabled(), isMonogramEnabled(), isShowPicturesOnFavorites(),
      isShowPicturesOnRecents(), isShowPicturesOnContacts());
}

namespace TalvoCBSettingsFile {

std::string pathInHome() {
  return stringByAppendingPathComponent(
      stringByAppendingPathComponent(NSHomeDirectory(), kPreferencesFolder), kFileName);
}

std::string notificationForKey(const std::string& key) {
  const std::string prefix = "TalvoCBEnabled";
  std::string suffix = key.rfind(prefix, 0) == 0 ? key.substr(prefix.size()) : key;
  return "com.quorvik.TalvoCB" + suffix + "EnabledNotification";
}

WriteLock::WriteLock() {
  std::string path = fileSystemRepresentation(pathInHome() + ".lock");
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    failure_ = path + ": cannot be opened: " + std::strerror(errno);
    return;
  }
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    failure_ = path + ": cannot be locked: " + std::strerror(errno);
    ::close(fd_);
    fd_ = -1;
    return;
  }
}

WriteLock::~WriteLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool completeAtStartup(std::string* reason) {
  auto fail = [reason](const std::string& why) {
    if (reason) *reason = why;
    return false;
  };
  // Start-up has no failure path: without the lock it completes the file all the same.
  WriteLock lock;
  std::string path = pathInHome();
  if (NSFileManager::defaultManager().fileExistsAtPath(path)) {
    TALCB_SHORT_INFO("Settings file exists, checking version..");
    std::string why;
    auto settings = NSDictionary::dictionaryWithContentsOfFile(path, &why);
    TALCB_SHORT_INFO("Old settings file found, updating it with latest one. [settings count] => %d",
                     settings ? static_cast<int>(settings->count()) : 0);
    // A file that does not read as a dictionary stays as it is: nothing of it is lost.
    if (!settings) {
      return fail(fileSystemRepresentation(path) + ": " + why + "; left unchanged");
    }
    for (const char* key : kKeys) {
      if (!settings->objectForKey(key)) settings->setObject(NSNumber::numberWithBool(true), key);
    }
    if (!settings->writeToFile(path, true, &why))
      return fail(fileSystemRepresentation(path) + ": " + why);
    return true;
  }
  auto settings = make<NSDictionary>();
  for (const char* key : kKeys) settings->setObject(NSNumber::numberWithBool(true), key);
  std::string why;
  if (!settings->writeToFile(path, true, &why))
    return fail(fileSystemRepresentation(path) + ": " + why);
  return true;
}

}  // namespace TalvoCBSettingsFile
