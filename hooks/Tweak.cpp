// The hook module's one entry point: runs when a host loads the module, before the host uses the
// classes it hooks.
#include "HookFamilies.h"
#include "LogFile.h"
#include "TALCBSettings.h"
#include "TalvoCBModuleState.h"
#include "TalvoCBUtils.h"
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
  if (!NSBundle::mainBundle().bundleIdentifier()) return;
  if (isCallBarHost()) {
    redirectStandardErrorToLogFile();
    TalvoCBSettingsFile::completeAtStartup();
  }
  installHookTable();
  registerNotificationObservers();
}
