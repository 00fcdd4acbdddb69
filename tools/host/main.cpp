// talvocb-host: a host application of the simulated device. It takes the identity of a process
// (a bundle identifier, or none), registers the host classes that process has, loads the hook
// module with dlopen as the hooking framework would, and carries out a script of actions on its
// main thread. Every host starts with a window of its own, so that a snapshot always has a screen.
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <filesystem>

#include "HostForkServer.h"
#include "HostScript.h"
#include "HostServe.h"
#include "HostWindows.h"
#include "apps/HostClasses.h"
#include "foundation/Device.h"
#include "foundation/Dispatch.h"
#include "foundation/NSValueTypes.h"
#include "foundation/ProcessIdle.h"

namespace {
std::string defaultModulePath() {
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
  return (self.parent_path().parent_path() / "lib" / "TalvoCB.so").string();
}

// The process ends once the work still queued (pictures being made on workers, say) is done, for
// a short while at most, so that no worker touches what the exit tears down.
int finish(int status) {
  standin::runMainLoopUntilIdle(std::chrono::milliseconds(2000));
  return status;
}
}  // namespace

int main(int argc, char** argv) {
  // As a fork server, each child goes on from here with its request's arguments.
  std::vector<std::string> forked;
  std::vector<char*> forkedArgv;
  if (argc == 2 && std::string(argv[1]) == "--fork-server") {
    int status = 0;
    auto request = serveForks(STDIN_FILENO, &status);
    if (!request) return status;
    forked = std::move(*request);
    for (std::string& argument : forked) forkedArgv.push_back(argument.data());
    forkedArgv.push_back(nullptr);
    argc = static_cast<int>(forked.size());
    argv = forkedArgv.data();
  }
  // A file grown past the file-size limit fails its write with EFBIG, as a full disk does, and
  // the write paths clean up and report it; the default signal would kill the process mid-write.
  std::signal(SIGXFSZ, SIG_IGN);
  CLI::App app{"talvocb-host: runs a host process of the simulated device with the module"};
  std::string root, bundleIdentifier, module = defaultModulePath(), callBar = "yes",
                                      contacts = "auto", addressBookUI = "yes";
  std::vector<std::string> actions;
  bool fromStandardInput = false, serve = false;
  // The device must be there already: a host works in it and never makes one up.
  app.add_option("--root", root, "The folder of the simulated device")
      ->required()
      ->check(CLI::ExistingDirectory);
  app.add_option("--bundle-id", bundleIdentifier, "The main bundle's identifier (none if absent)");
  app.add_option("--module", module, "The hook module to load (none: the host without it)")
      ->capture_default_str();
  app.add_option("--callbar", callBar, "Whether CallBar is installed")
      ->check(CLI::IsMember({"yes", "no"}));
  app.add_option("--contacts-framework", contacts, "Contacts classes (auto: version 9 on)")
      ->check(CLI::IsMember({"auto", "yes", "no"}));
  app.add_option("--addressbook-ui", addressBookUI, "AddressBook UI classes")
      ->check(CLI::IsMember({"yes", "no"}));
  std::vector<std::string> mistyped;
  app.add_option("--mistyped", mistyped,
                 "A host method, \"Class selector\", registered with another type (repeatable)");
  app.add_option("--do", actions, "An action to carry out (repeatable)");
  app.add_flag("--stdin", fromStandardInput, "Then read actions from standard input");
  app.add_flag("--serve", serve,
               "Then serve lines of standard input, the main loop running between them; each "
               "answered by \"@done\" or \"@refused STATUS REASON\", a refused line not ending "
               "the program")
      ->excludes("--stdin");
  bool forkServer = false;
  app.add_flag("--fork-server", forkServer,
               "Alone: warm up, then fork a host for each request of the socket that is standard "
               "input (the simulator's way to start many hosts)");
  app.footer(hostActionsHelp());
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::Error& error) {
    std::fprintf(stderr, "talvocb-host: error: %s\n", error.what());
    return 2;
  }
  if (forkServer) {
    std::fprintf(stderr, "talvocb-host: error: --fork-server takes no other option\n");
    return 2;
  }

  HostIdentity identity;
  struct stat info {};
  if (::fstat(STDERR_FILENO, &info) == 0) identity.originalStandardErrorInode = info.st_ino;
  int errorsCopy = ::dup(STDERR_FILENO);
  if (FILE* errors = errorsCopy >= 0 ? ::fdopen(errorsCopy, "w") : nullptr) {
    std::setvbuf(errors, nullptr, _IONBF, 0);
    identity.scriptErrors = errors;
  }

  standin::becomeMainThread();
  standin::setDeviceRoot(root);
  standin::setMainBundleIdentifier(bundleIdentifier.empty() ? std::nullopt
                                                            : std::optional(bundleIdentifier));
  standin::apps::setMistypedHostMethods(mistyped);
  if (callBar == "yes") standin::apps::registerCallBarClasses();
  bool version9 = NSStringDoubleValue(standin::deviceProfile().systemVersion) >= 9.0;
  if (contacts == "yes" || (contacts == "auto" && version9))
    standin::apps::registerContactsClasses();
  if (addressBookUI == "yes") standin::apps::registerAddressBookUIClasses();

  if (module != "none" && !::dlopen(module.c_str(), RTLD_NOW | RTLD_GLOBAL)) {
    std::fprintf(stderr, "talvocb-host: cannot load %s: %s\n", module.c_str(), ::dlerror());
    return 1;
  }
  showHostWindow();
  for (const std::string& action : actions) {
    if (auto status = runHostLine(action, identity)) return finish(*status);
  }
  if (fromStandardInput) {
    std::string line;
    std::size_t length = 0;
    while (readHostLine(stdin, &line, &length)) {
      if (length > kMostHostLineBytes) {
        std::fprintf(identity.scriptErrors, "talvocb-host: %s\n",
                     overlongLineError(line, length).c_str());
        return finish(2);
      }
      if (auto status = runHostLine(line, identity)) return finish(*status);
    }
  }
  if (serve) return finish(serveHostLines(identity));
  return finish(0);
}
