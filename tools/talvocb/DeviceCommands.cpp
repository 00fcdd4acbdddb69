// device init and probe.
#include <cstdio>
#include <filesystem>

#include "BundlePictures.h"
#include "CliContext.h"
#include "DeviceOptions.h"
#include "PhoneBackup.h"
#include "SampleCallBarFiles.h"
#include "TALCBUIDeviceHardware.h"
#include "TalvoCBUtils+Probes.h"
#include "foundation/Device.h"

void addDeviceCommands(CLI::App& app, CliContext& context) {
  auto* device = app.add_subcommand("device", "The simulated device's profile");
  device->require_subcommand(1);
  auto* init = device->add_subcommand("init", "Writes a device profile into --root");
  static DeviceOptions options;
  static std::string backup;
  options.addTo(init);
  init->add_option("--from-backup", backup,
                   "An unencrypted phone backup folder whose address book the device takes, with "
                   "CallBar's favourites and history made from it");
  init->callback([&context] {
    if (context.root.empty()) return context.usageError("device init needs --root DIR");
    DeviceProfile profile = options.profile();
    std::string error;
    if (!standin::initDevice(context.root, profile, &error)) return context.failure(error);
    if (!installBundlePictures(context.root, &error)) return context.failure(error);
    std::printf("device: %s\nversion: %s\nmachine: %s\nscreen: %g x %g @%gx\nidiom: %s\n",
                context.root.c_str(), profile.systemVersion.c_str(), profile.machine.c_str(),
                profile.width, profile.height, profile.scale, options.idiom.c_str());
    if (backup.empty()) return;
    std::string root = std::filesystem::absolute(context.root).string();
    standin::setDeviceRoot(root);
    sample::SampleReport report;
    std::vector<sample::BookPerson> people;
    if (!sample::copyBackupAddressBook(backup, root, &report, &error) ||
        !sample::readBookPeople(root, 200, &people, &error) ||
        !sample::writeCallBarFilesFromBook(root, people, &report, &error)) {
      return context.failure(error);
    }
    for (const std::string& line : report) std::printf("%s\n", line.c_str());
  });
}

void addProbeCommand(CLI::App& app, CliContext& context) {
  auto* probe = app.add_subcommand("probe", "Prints every platform probe of the device");
  probe->callback([&context] {
    context.enterDevice("probe");
    auto yes = [](bool v) { return v ? "YES" : "NO"; };
    TALCBUIDeviceHardware hardware;
    std::printf("isIOS_7: %s\n", yes(TalvoCBUtils::isIOS_7()));
    std::printf("isIOS_8: %s\n", yes(TalvoCBUtils::isIOS_8()));
    std::printf("isIOS_9: %s\n", yes(TalvoCBUtils::isIOS_9()));
    std::printf("isRetinaDisplay: %s\n", yes(TalvoCBUtils::isRetinaDisplay()));
    std::printf("isIPhone4: %s\n", yes(TalvoCBUtils::isIPhone4()));
    std::printf("isIPhone6: %s\n", yes(TalvoCBUtils::isIPhone6()));
    std::printf("isIPhone6Plus: %s\n", yes(TalvoCBUtils::isIPhone6Plus()));
    std::printf("isIPhone6OR6Plus: %s\n", yes(TalvoCBUtils::isIPhone6OR6Plus()));
    std::printf("screenWidth: %g\n", TalvoCBUtils::screenWidth());
    std::printf("screenHeight: %g\n", TalvoCBUtils::screenHeight());
    std::printf("platform: %s\n", hardware.platform().c_str());
    std::printf("platformString: %s\n", hardware.platformString().c_str());
    std::printf("canprepareImageCache: %s\n", yes(TalvoCBUtils::canprepareImageCache()));
  });
}
