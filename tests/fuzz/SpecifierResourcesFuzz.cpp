// libFuzzer target of the pane's specifier resources: any bytes as the pane bundle's TalvoCB.plist
// and TalvoCBMisc.plist give both pages their rows (or none), with the add-on switched on or off,
// and the main switch turned as a finger would; each input's outcome is checked.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "TALCBSettings.h"
#include "foundation/Device.h"
#include "foundation/NSBundle.h"
#include "foundation/PropertyList.h"
#include "fuzz/FuzzDevice.h"
#include "preferences/PSListController.h"
#include "uikit/UIControl.h"

namespace {

constexpr const char* kPaneBundle = "/System/Library/PreferenceBundles/TalvoCBSettings.bundle";

std::shared_ptr<PSListController> openPage(const char* className) {
  auto page = cast<PSListController>(class_createInstance(objc_getClass(className)));
  if (!page) std::abort();
  page->setBundle(NSBundle::bundleWithPath(kPaneBundle));
  return cast<PSListController>(
      objc_msgSend<id(CGSize)>(page, "initForContentSize:", CGSizeMake(375, 667)));
}

void expect(bool promise, const char* what) {
  if (promise) return;
  std::fprintf(stderr, "broken promise: %s\n", what);
  std::abort();
}

// The rows the resource gives, loaded afresh.
std::size_t resourceRows(const std::shared_ptr<PSListController>& page, const char* resource) {
  auto list = cast<NSArray>(objc_msgSend<id(id, id)>(
      page, "loadSpecifiersFromPlistName:target:", id(make<NSString>(resource)), id(page)));
  return list ? list->items.size() : 0;
}

void writeSettings(bool enabled) {
  auto settings = make<NSDictionary>();
  for (const char* key : TalvoCBSettingsFile::kKeys) {
    settings->setObject(NSNumber::numberWithBool(enabled), key);
  }
  settings->writeToFile(TalvoCBSettingsFile::pathInHome(), true);
}

}  // namespace

// What the pane promises of any resource, checked after every input: the root page shows the
// whole resource while the add-on is on and at most its first two and last two rows while it is
// off; turning the main switch changes only that key in the settings file (inverted for a negated
// row) and shows or hides the rows to match; the second page shows its resource's rows.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  auto& device = FuzzDevice::shared();
  std::string bundle = std::string(kPaneBundle) + "/";
  device.write(bundle + "TalvoCB.plist", data, size);
  device.write(bundle + "TalvoCBMisc.plist", data, size);
  bool enabled = size % 2 == 1;
  writeSettings(enabled);

  auto root = openPage("TalvoCBSettingsController");
  if (!root) return 0;
  std::size_t full = resourceRows(root, "TalvoCB");
  std::size_t hidden = std::min<std::size_t>(full, 4);
  expect(root->shownSpecifiers().size() == (enabled ? full : hidden), "rows as the page opens");

  bool turned = false, negated = false;
  for (const auto& row : root->shownSpecifiers()) {
    if (row->key() == "TalvoCBEnabled" && row->setter == "talvoCBEnabledOrDisabled:specifier:") {
      if (auto control = root->switchForSpecifier(row)) {
        control->setOn(!enabled);
        control->sendActionsForControlEvents(UIControlEventValueChanged);
        turned = true;
        negated = row->negate();
      }
      break;
    }
  }
  bool on = turned ? !enabled : enabled;
  expect(root->shownSpecifiers().size() == (on ? full : hidden), "rows after the main switch");
  auto settings = NSDictionary::dictionaryWithContentsOfFile(TalvoCBSettingsFile::pathInHome());
  expect(settings != nullptr, "the settings file reads");
  for (const char* key : TalvoCBSettingsFile::kKeys) {
    bool stored = boolValue(settings->objectForKey(key));
    bool changed = turned && std::string(key) == "TalvoCBEnabled";
    expect(stored == (changed ? on != negated : enabled), key);
  }

  if (auto misc = openPage("TalvoCBMiscController")) {
    expect(misc->shownSpecifiers().size() == resourceRows(misc, "TalvoCBMisc"),
           "the second page's rows");
  }
  return 0;
}
