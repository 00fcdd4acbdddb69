// talvocb: the command-line tool over a simulated device. Results go to standard output, the
// system's own log lines to standard error.
#include <csignal>
#include <cstdio>
#include <filesystem>

#include "CliContext.h"
#include "foundation/Device.h"

void CliContext::enterDevice(const char* command) {
  if (root.empty()) throw CLI::ValidationError(std::string(command) + " needs --root DIR");
  std::error_code error;
  if (!std::filesystem::is_directory(root, error)) {
    throw CliFailure(root + ": no such device folder (talvocb sample or device init writes one)");
  }
  // A device without a profile has the default phone; a profile that is there must be readable.
  std::string reason;
  std::string profile = standin::profilePath(std::filesystem::absolute(root).string());
  if (!standin::readProfile(std::filesystem::absolute(root).string(), &reason) &&
      std::filesystem::symlink_status(profile, error).type() !=
          std::filesystem::file_type::not_found) {
    throw CliFailure(profile + ": " + reason);
  }
  standin::setDeviceRoot(root);
}

void CliContext::usageError(const std::string& message) {
  std::fprintf(stderr, "talvocb: error: %s\n", message.c_str());
  status = 2;
}

void CliContext::failure(const std::string& message) {
  std::fprintf(stderr, "talvocb: %s\n", message.c_str());
  status = 1;
}

int main(int argc, char** argv) {
  // A file grown past the file-size limit fails its write with EFBIG, as a full disk does, and
  // the write paths clean up and report it; the default signal would kill the process mid-write.
  std::signal(SIGXFSZ, SIG_IGN);
  CLI::App app{"talvocb: the add-on's library and a simulated device, from the command line"};
  CliContext context;
  app.add_option("--root", context.root, "The folder of the simulated device");
  app.require_subcommand(1);
  addDeviceCommands(app, context);
  addProbeCommand(app, context);
  addSettingsCommands(app, context);
  addPictureCommands(app, context);
  addContactSheetCommand(app, context);
  addSampleCommand(app, context);
  addAddressBookCommands(app, context);
  addAddressBookEditCommands(app, context);
  addSimCommand(app, context);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::CallForAllHelp&) {
    std::fputs(app.help("", CLI::AppFormatMode::All).c_str(), stdout);
    return 0;
  } catch (const CLI::Error& error) {
    context.usageError(error.what());
  } catch (const CliFailure& failure) {
    context.failure(failure.what());
  }
  return context.status;
}
