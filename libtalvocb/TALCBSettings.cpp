#include "TALCBSettings.h"

#include <mutex>

#include "TalvoCBLog.h"
#include "foundation/Device.h"
#include "foundation/NSFileManager.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyListFile.h"

STANDIN_DEFINE_CLASS(TALCBSettings, NSObject)

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

bool completeAtStartup(std::string* reason) {
  std::string path = pathInHome();
  if (NSFileManager::defaultManager().fileExistsAtPath(path)) {
    TALCB_SHORT_INFO("Settings file exists, checking version..");
  }
  // Rewritten whether or not a key was missing, from the file as it is under the lock, so that
  // nothing another writer put in meanwhile is undone. A file that holds the very bytes the
  // rewrite would write is left as it is: each start-up would otherwise wait on the disk for
  // nothing.
  auto result =
      PropertyListFile::update(path, NSPropertyListXMLFormat_v1_0, [](NSDictionary& file) {
        if (file.count() > 0) {
          TALCB_SHORT_INFO(
              "Old settings file found, updating it with latest one. [settings count] => %d",
              static_cast<int>(file.count()));
        }
        for (const char* key : kKeys) {
          if (!file.objectForKey(key)) file.setObject(NSNumber::numberWithBool(true), key);
        }
        return true;
      });
  if (result.ok()) return true;
  if (result.status == PropertyListFile::UpdateStatus::Unreadable) {
    TALCB_SHORT_INFO("Old settings file found, updating it with latest one. [settings count] => %d",
                     0);
  }
  if (reason) *reason = result.reason;
  return false;
}

}  // namespace TalvoCBSettingsFile
