// libFuzzer target of the pane's specifier resources: any bytes as the pane bundle's TalvoCB.plist
// and TalvoCBMisc.plist give both pages their rows (or none), with the add-on switched on or off,
// and the main switch turned as a finger would.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "TALCBSettings.h"
#include "foundation/Device.h"
#include "foundation/NSBundle.h"
#include "foundation/PropertyList.h"
#include "fuzz/FuzzDevice.h"
#include "preferences/PSListController.h"

namespace {

constexpr const char* kPaneBundle = "/System/Library/PreferenceBundles/TalvoCBSettings.bundle";

std::shared_ptr<PSListController> openPage(const char* className) {
  auto page = cast<PSListController>(class_createInstance(objc_getClass(className)));
  if (!page) std::abort();
  page->setBundle(NSBundle::bundleWithPath(kPaneBundle));
  return cast<PSListController>(
      objc_msgSend<id(CGSize)>(page, "initForContentSize:", CGSizeMake(375, 667)));
}

void writeSettings(bool enabled) {
  auto settings = make<NSDictionary>();
  for (const char* key : TalvoCBSettingsFile::kKeys) {
    settings->setObject(NSNumber::numberWithBool(enabled), key);
  }
  settings->writeToFile(TalvoCBSettingsFile::pathInHome(), true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  auto& device = FuzzDevice::shared();
  std::string bundle = std::string(kPaneBundle) + "/";
  device.write(bundle + "TalvoCB.plist", data, size);
  device.write(bundle + "TalvoCBMisc.plist", data, size);
  bool enabled = size % 2 == 1;
  writeSettings(enabled);

  auto root = openPage("TalvoCBSettingsController");
  if (!root) return 0;
  for (const auto& row : root->shownSpecifiers()) {
    if (row->key() == "TalvoCBEnabled" && row->setter == "talvoCBEnabledOrDisabled:specifier:") {
      root->flipSwitch(row, !enabled);
      root->shownSpecifiers();
      break;
    }
  }
  if (auto misc = openPage("TalvoCBMiscController")) misc->shownSpecifiers();
  return 0;
}
