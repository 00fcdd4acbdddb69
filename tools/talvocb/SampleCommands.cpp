// sample: writes a whole simulated phone.
#include <cstdio>

#include "CliContext.h"
#include "DeviceOptions.h"
#include "SampleDevice.h"

void addSampleCommand(CLI::App& app, CliContext& context) {
  auto* command = app.add_subcommand(
      "sample", "Writes a simulated phone with a sample address book into --root");
  static DeviceOptions device;
  static int contacts = -1;
  static uint64_t seed = 1;
  static std::vector<std::string> vcards;
  device.addTo(command);
  auto* from = command->add_option(
      "--from", vcards,
      "vCard files whose cards make the address book, CallBar's favourites and history");
  command
      ->add_option("--contacts", contacts,
                   "Generate this many contacts instead of the hand-picked address book")
      ->check(CLI::Range(0, 10'000'000))
      ->excludes(from);
  command->add_option("--seed", seed, "Seed of the generated contacts")->capture_default_str();
  command->callback([&context] {
    if (context.root.empty()) return context.usageError("sample needs --root DIR");
    sample::SampleOptions options;
    options.profile = device.profile();
    // The sample phone has a mail account, so that the pane can mail its log.
    if (options.profile.mailAccount.empty()) options.profile.mailAccount = "mobile@example.com";
    if (contacts >= 0) options.contacts = contacts;
    options.seed = seed;
    options.vcardFiles = vcards;
    sample::SampleReport report;
    std::string error;
    if (!sample::writeSampleDevice(context.root, options, &report, &error)) {
      return context.failure(error);
    }
    for (const std::string& line : report) std::printf("%s\n", line.c_str());
  });
}
