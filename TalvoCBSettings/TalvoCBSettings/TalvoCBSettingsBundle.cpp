// The bundle's classes exist once the Settings application has loaded it, as the runtime
// registers a loaded bundle's classes; the application then makes the principal class by name.
#include "TalvoCBMiscController.h"
#include "TalvoCBSettingsController.h"
#include "messageui/MFMailComposeViewController.h"

__attribute__((constructor)) static void registerPaneClasses() {
  MFMailComposeViewController::class_();
  TalvoCBSettingsController::class_();
  TalvoCBMiscController::class_();
}
