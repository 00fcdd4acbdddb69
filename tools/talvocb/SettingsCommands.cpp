// settings show, init and set.
#include <algorithm>
#include <cstdio>

#include "CliContext.h"
#include "TALCBSettings.h"
#include "foundation/Device.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyListFile.h"

namespace {
// The settings' own description, which leaves the call overlay's switch out, then that switch,
// so that the tool shows all seven.
void printDescription() {
  auto settings = make<TALCBSettings>();
  std::printf("%s\nTalvo on Phone: %d\n", settings->description().c_str(),
              settings->isShowPicturesOnPhone());
}

// Writes one switch through the file's locked read-modify-write, so that runs changing other
// keys at the same time lose nothing. A file that exists but is no dictionary is refused rather
// than replaced, so nothing in it is lost.
bool writeSwitch(CliContext& context, const std::string& key, bool on) {
  auto result =
      PropertyListFile::update(TalvoCBSettingsFile::pathInHome(),
                               {{key, NSNumber::numberWithBool(on)}}, NSPropertyListXMLFormat_v1_0);
  if (!result.ok()) context.failure(result.reason);
  return result.ok();
}
}  // namespace

void addSettingsCommands(CLI::App& app, CliContext& context) {
  auto* settings = app.add_subcommand("settings", "The add-on's settings file");
  settings->require_subcommand(1);

  settings->add_subcommand("show", "Prints the settings as the library reads them")
      ->callback([&context] {
        context.enterDevice("settings show");
        printDescription();
      });

  settings->add_subcommand("init", "Creates or completes the settings file as the start-up does")
      ->callback([&context] {
        context.enterDevice("settings init");
        std::string reason;
        if (!TalvoCBSettingsFile::completeAtStartup(&reason)) return context.failure(reason);
        printDescription();
      });

  auto* set = settings->add_subcommand("set", "Writes one switch and announces the change");
  static std::string key, value;
  std::vector<std::string> keys(TalvoCBSettingsFile::kKeys.begin(),
                                TalvoCBSettingsFile::kKeys.end());
  set->add_option("KEY", key, "A settings key")->required()->check(CLI::IsMember(keys));
  set->add_option("VALUE", value, "on or off")->required()->check(CLI::IsMember({"on", "off"}));
  set->callback([&context] {
    context.enterDevice("settings set");
    if (!writeSwitch(context, key, value == "on")) return;
    std::string name = TalvoCBSettingsFile::notificationForKey(key);
    CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), name, nullptr,
                                         nullptr, true);
    std::printf("%s = %s\nposted %s\n", key.c_str(), value == "on" ? "true" : "false",
                name.c_str());
  });
}
