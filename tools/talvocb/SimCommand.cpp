// sim: the device simulator. It plays the add-on's scenes with the real host processes on every
// phone and writes the screens and an index page.
#include <cstdio>
#include <filesystem>

#include "CliContext.h"
#include "LiveServer.h"
#include "NumberRange.h"
#include "SimCast.h"
#include "SimProfiles.h"
#include "SimRun.h"
#include "foundation/PropertyList.h"

void addSimCommand(CLI::App& app, CliContext& context) {
  auto* command = app.add_subcommand(
      "sim", "Plays every scene on every phone with the module loaded; writes OUT/index.html");
  static simulator::SimOptions options;
  static bool list = false, cast = false, serve = false;
  static int port = 8765;
  command->add_option("--root", options.root, "Play on copies of this device, not the sample");
  command->add_option("--out", options.out, "Where the screens and the page go")
      ->capture_default_str();
  command->add_option("--scene", options.scenes, "Play only this scene (repeatable; see --list)");
  std::string phones;
  for (const auto& profile : simulator::simProfiles()) phones += " " + profile.name;
  command->add_option("--profile", options.profiles,
                      "Play only on this phone (repeatable):" + phones);
  command->add_flag("--list", list, "Print the scene names, one a line, then stop");
  command
      ->add_option("--call", options.calls,
                   "Add a call from this party (number or e-mail address) on every phone, "
                   "whatever --scene chooses (repeatable)")
      ->check([](const std::string& party) -> std::string {
        std::size_t words = 0;
        bool inWord = false;
        for (char c : party) {
          bool space = static_cast<unsigned char>(c) <= ' ';
          words += !space && !inWord;
          inWord = !space;
        }
        // The host takes a party of up to fourteen words.
        if (words == 0) return "a party needs a number or an address";
        return words > 14 ? "a party of more than fourteen words" : "";
      });
  command->add_flag("--cast", cast,
                    "Print who plays each scene on the device of --root (with the --call parties "
                    "looked up) as a property list, then stop");
  command->add_flag("--serve", serve,
                    "Run the hosts of one phone (the first --profile) and serve the live "
                    "simulator's page and API on 127.0.0.1 until interrupted");
  command->add_option("--port", port, "The port --serve listens on (0: any free one)")
      ->check(CLI::Range(0, 65535))
      ->capture_default_str();
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
  command->add_option("--jobs", options.jobs, "Phones played at once (0: one more than the cores)")
      ->check(CLI::Range(0u, 64u))
      ->capture_default_str();
  command->add_option("--scene-timeout", options.sceneSeconds, "Seconds a scene may take")
      ->check(FiniteRange(1.0, 3600.0))
      ->capture_default_str();
  command->callback([&context] {
    if (list) {
      for (const std::string& name : simulator::simSceneNames(options.calls)) {
        std::printf("%s\n", name.c_str());
      }
      return;
    }
    if (cast) {
      if (context.root.empty()) context.root = options.root;
      context.enterDevice("sim --cast");
      auto bytes =
          dataWithPropertyList(simulator::castPropertyList(simulator::readCast(options.calls)),
                               NSPropertyListXMLFormat_v1_0);
      if (!bytes) throw CliFailure("the cast cannot be written as a property list");
      std::fwrite(bytes->data(), 1, bytes->size(), stdout);
      std::fputc('\n', stdout);
      return;
    }
    if (options.root.empty()) options.root = context.root;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    simulator::SimTools tools{self.string(), (self.parent_path() / "talvocb-host").string()};
    if (serve) {
      if (options.profiles.size() > 1) {
        throw CLI::ValidationError("--serve runs one phone: give one --profile");
      }
      live::LiveOptions live{options.root, options.out + "/live",
                             options.profiles.empty() ? simulator::simProfiles().front().name
                                                      : options.profiles.front(),
                             port};
      context.status = live::serveLiveSimulator(live, tools);
      return;
    }
    context.status = simulator::runSimulator(options, tools);
  });
}
