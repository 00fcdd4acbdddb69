// What every command of the talvocb tool shares: the device root option and the exit status.
#pragma once

#include <CLI/CLI.hpp>
#include <stdexcept>
#include <string>

// A command that cannot be carried out: one line on standard error, exit status 1.
struct CliFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct CliContext {
  std::string root;
  int status = 0;

  // Enters the device of --root; a missing --root is a usage error, a --root that is no device
  // folder, or whose profile cannot be read, a failure.
  void enterDevice(const char* command);
  // Reports a usage error in one line on standard error; exit status 2.
  void usageError(const std::string& message);
  // Reports a failure in one line on standard error; exit status 1.
  void failure(const std::string& message);
};

// Stops the command (exit 1, with the reason) when the device's address book cannot be read, so
// that an unreadable book is never shown as a book without the contact.
void requireReadableAddressBook();

// Each file of commands adds its subcommands to the application.
void addDeviceCommands(CLI::App& app, CliContext& context);
void addProbeCommand(CLI::App& app, CliContext& context);
void addSettingsCommands(CLI::App& app, CliContext& context);
void addPictureCommands(CLI::App& app, CliContext& context);
void addContactSheetCommand(CLI::App& app, CliContext& context);
void addSampleCommand(CLI::App& app, CliContext& context);
void addAddressBookCommands(CLI::App& app, CliContext& context);
void addAddressBookEditCommands(CLI::App& app, CliContext& context);
void addSimCommand(CLI::App& app, CliContext& context);
