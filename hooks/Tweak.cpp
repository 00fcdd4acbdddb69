// The hook module's one entry point: runs when a host loads the module, before the host uses the
// classes it hooks.
#include "HookFamilies.h"
#include "LogFile.h"
#include "NSObject+TalvoCB_CNMonogrammer.h"
#include "TALCBSettings.h"
#include "TalvoCBModuleState.h"
#include "TalvoCBUtils+Probes.h"
#include "foundation/Device.h"

namespace {
void installHookTable() {
  if (TalvoCBUtils::isIOS_9()) {
    installCNMonogrammerHooks();
    installCNContactListHooks();
  } else {
    installABMonogrammerHooks();
  }
  installABMemberListHooks();
  installCallBarControllerHooks();
  installCallBarListHooks();
}
}  // namespace

__attribute__((constructor)) static void TalvoCBInitialize() {
  // The category's methods come with the module, whatever the process.
  addTalvoCB_CNMonogrammerCategory();
  if (!NSBundle::mainBundle().bundleIdentifier()) return;
  if (isCallBarHost()) {
    redirectStandardErrorToLogFile();
    TalvoCBSettingsFile::completeAtStartup();
  }
  installHookTable();
  registerNotificationObservers();
}
