// The observers of the address book's and the settings' Darwin notifications. They act only in
// SpringBoard and CallBar's view service, on the main thread, where the notifications arrive.
#include <sys/stat.h>

#include "AddressBookFiles.h"
#include "HookFamilies.h"
#include "SettingsChangedNotification.h"
#include "TALCBSettings.h"
#include "TalvoCBLog.h"
#include "TalvoCBModuleState.h"
#include "TalvoCBUtils+Cache.h"
#include "foundation/DeviceFiles.h"
#include "foundation/NSBundle.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSThreadPerform.h"

namespace {

constexpr const char* kAddressBookChanged = "__ABDataBaseChangedByOtherProcessNotification";
constexpr const char* kAddressBookHandler =
    "void talvoCBAddressBookChangedCallBack(CFNotificationCenterRef, void *, CFStringRef, const "
    "void *, CFDictionaryRef)";
// The platform's writers hold the file for a moment: a change is read after the writer is done
// rather than lost. Bounded, as the main thread waits.
constexpr int kBusyTimeoutMilliseconds = 500;

bool isRegularFile(const char* devicePath) {
  struct stat info {};
  return standin::statFile(fileSystemRepresentation(devicePath), &info) && S_ISREG(info.st_mode);
}

// The most recently modified person, taken as the one that changed; -1 when none can be read.
// The file is opened read-only so that a missing file is never created in its place.
int32_t lastModifiedPerson() {
  if (!isRegularFile(kAddressBookDatabase)) return -1;
  sqlite3* db = nullptr;
  int32_t contactID = -1;
  if (openAddressBookFile(kAddressBookDatabase, &db) == SQLITE_OK) {
    sqlite3_busy_timeout(db, kBusyTimeoutMilliseconds);
    sqlite3_stmt* statement = nullptr;
    int status = sqlite3_prepare_v2(db,
                                    "Select ROWID from ABPERSON where MODIFICATIONDATE=(select "
                                    "max(MODIFICATIONDATE) from ABPERSON)",
                                    -1, &statement, nullptr);
    if (status == SQLITE_OK) status = sqlite3_step(statement);
    if (status == SQLITE_ROW) {
      contactID = sqlite3_column_int(statement, 0);
    } else if (status == SQLITE_DONE) {
      NSLog("com.quorvik.Talvo For CallBar => Error: Unabe to get ROWID From ABPERSON");
    } else {
      TALCB_ERROR(kAddressBookHandler, "Cannot read the last modified person: %s",
                  sqlite3_errmsg(db));
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return contactID;
}

void talvoCBAddressBookChangedCallBack(CFNotificationCenterRef, void*, const std::string& name,
                                       const void*, const void*) {
  if (!NSBundle::mainBundle().bundleIdentifier() || name != kAddressBookChanged ||
      !isCallBarHost()) {
    return;
  }
  int32_t contactID = lastModifiedPerson();
  if (contactID >= 1 && TalvoCBUtils::removeImageFromCache(contactID)) {
    NSNotificationCenter::defaultCenter().postNotificationName(kSettingsChangedNotification,
                                                               nullptr);
  }
}

void talvoCBSettingsChangedCallBack(CFNotificationCenterRef, void*, const std::string& name,
                                    const void*, const void*) {
  if (!isCallBarHost()) return;
  TALCB_INFO(
      "void talvoCBSettingsChangedCallBack(CFNotificationCenterRef, void *, CFStringRef, const "
      "void *, CFDictionaryRef)",
      "Got '%s' notification...", name.c_str());
  TalvoCBUtils::clearImageCache();
  TALCBSettings::sharedSettings()->loadSettings();
  NSNotificationCenter::defaultCenter().postNotificationName(kSettingsChangedNotification, nullptr);
  for (const id& table : TalvoCBModuleState::liveContactsTableViews()) {
    performSelectorOnMainThread(table, sel_registerName("reloadData"), nullptr, true);
  }
}
}  // namespace

void registerNotificationObservers() {
  CFNotificationCenterRef center = CFNotificationCenterGetDarwinNotifyCenter();
  auto observe = [center](const char* name, CFNotificationCallback handler) {
    CFNotificationCenterAddObserver(center, nullptr, handler, name, nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
  };
  observe(kAddressBookChanged, talvoCBAddressBookChangedCallBack);
  for (const char* key : TalvoCBSettingsFile::kKeys) {
    observe(TalvoCBSettingsFile::notificationForKey(key).c_str(), talvoCBSettingsChangedCallBack);
  }
}
