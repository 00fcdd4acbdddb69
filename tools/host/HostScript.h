// The actions a host program carries out on its main thread, one line each: a name and its words.
// The table of actions (name, usage, what it does) is the one place where actions are added;
// `talvocb-host --help` lists it.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct HostIdentity {
  int originalStandardErrorInode = 0;
  // The script's own error lines go to the standard error the host started with: in SpringBoard
  // the module sends standard error to the device's log file.
  FILE* scriptErrors = stderr;
};

// A line that names no action, or gives an action the wrong words: exit status 2.
struct HostUsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// An action that could not do its work (a file not written, no screen): exit status 1.
struct HostActionFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

enum class HostStep { Continue, Exit };

using HostArguments = std::vector<std::string>;

struct HostAction {
  std::string name;
  std::string arguments;  // as the usage shows them: "FILE.png", "NAME [MS]"
  std::string help;
  std::size_t minArguments = 0;
  std::size_t maxArguments = 0;
  std::function<HostStep(const HostArguments&, const HostIdentity&)> run;
};

// The actions of every family, in the order --help lists them.
const std::vector<HostAction>& hostActions();
void addProcessActions(std::vector<HostAction>& actions);
void addScreenActions(std::vector<HostAction>& actions);
void addCallBarActions(std::vector<HostAction>& actions);
void addContactListActions(std::vector<HostAction>& actions);
void addSettingsActions(std::vector<HostAction>& actions);

class UIViewController;
// Shows a list in CallBar's overlay, in front, as CallBar shows its own lists.
void showListInCallBarOverlay(const std::shared_ptr<UIViewController>& list);

// "name arguments  help" lines for --help.
std::string hostActionsHelp();

// The longest action line: a longer one is refused, so that no line costs the host more memory
// than this.
inline constexpr std::size_t kMostHostLineBytes = 64 * 1024;

// The start of a word or line for an error message: never more than a few dozen bytes, whatever
// the input holds.
std::string quotedStart(const std::string& text);

// Reads the next line of `input` (without its newline) into *line. A line longer than
// kMostHostLineBytes is not kept: its start is, and the rest is read and dropped, *length telling
// the whole. False at the end of the input.
bool readHostLine(FILE* input, std::string* line, std::size_t* length);

// The error for a line longer than kMostHostLineBytes.
std::string overlongLineError(const std::string& start, std::size_t length);

// What one line did: the exit status the program should end with (nothing: go on), and the
// one-line reason of a non-zero status.
struct HostLineOutcome {
  std::optional<int> status;
  std::string error;
};
HostLineOutcome carryOutHostLine(const std::string& line, const HostIdentity& identity);

// Runs one line (blank lines and "#" comments do nothing). Answers the exit status the program
// should end with, or nothing to go on; the reason of a non-zero status is one line on stderr.
std::optional<int> runHostLine(const std::string& line, const HostIdentity& identity);

// Runs an action's body; a host method registered with another type fails the action, not the
// process.
HostStep guarded(const std::function<void()>& body);

// A whole number for an action's argument, else a usage error naming the action.
long hostNumberArgument(const std::string& action, const std::string& word);
// A wait in milliseconds: a whole number from 0 to a day, else a usage error naming the action, so
// that a deadline computed from it cannot overflow.
std::chrono::milliseconds hostMillisecondsArgument(const std::string& action,
                                                   const std::string& word);
