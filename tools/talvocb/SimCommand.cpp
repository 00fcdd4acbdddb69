// sim: the device simulator. It plays the add-on's scenes with the real host processes on every
// phone and writes the screens and an index page.
#include <cstdio>
#include <filesystem>

#include "CliContext.h"
#include "NumberRange.h"
#include "SimProfiles.h"
#include "SimRun.h"

void addSimCommand(CLI::App& app, CliContext& context) {
  auto* command = app.add_subcommand(
      "sim", "Plays every scene on every phone with the module loaded; writes OUT/index.html");
  static simulator::SimOptions options;
  static bool list = false;
  command->add_option("--root", options.root, "Play on copies of this device, not the sample");
  command->add_option("--out", options.out, "Where the screens and the page go")
      ->capture_default_str();
  command->add_option("--scene", options.scenes, "Play only this scene (repeatable; see --list)");
  std::string phones;
  for (const auto& profile : simulator::simProfiles()) phones += " " + profile.name;
  command->add_option("--profile", options.profiles,
                      "Play only on this phone (repeatable):" + phones);
  command->add_flag("--list", list, "Print the scene names, one a line, then stop");
  command->add_option("--check", options.check,
                      "Compare every screen with the references in this folder");
  command->add_option("--record", options.record, "Write the screens as references into it");
  command
      ->add_option("--tolerance", options.compare.tolerance,
                   "Colour difference (delta E) above which a pixel differs")
      ->check(FiniteRange(0.0, 200.0))
      ->capture_default_str();
  command
      ->add_option("--max-differing", options.compare.maxDifferingShare,
                   "Share of a screen's pixels that may differ")
      ->check(FiniteRange(0.0, 1.0))
      ->capture_default_str();
  command->add_option("--jobs", options.jobs, "Phones played at once (0: one per core)")
      ->check(CLI::Range(0u, 64u))
      ->capture_default_str();
  command->add_option("--scene-timeout", options.sceneSeconds, "Seconds a scene may take")
      ->check(FiniteRange(1.0, 3600.0))
      ->capture_default_str();
  command->callback([&context] {
    if (list) {
      for (const std::string& name : simulator::simSceneNames()) std::printf("%s\n", name.c_str());
      return;
    }
    if (options.root.empty()) options.root = context.root;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    simulator::SimTools tools{self.string(), (self.parent_path() / "talvocb-host").string()};
    context.status = simulator::runSimulator(options, tools);
  });
}
