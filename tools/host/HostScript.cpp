#include "HostScript.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iomanip>
#include <sstream>

#include "runtime/objc.h"

const std::vector<HostAction>& hostActions() {
  static const std::vector<HostAction> actions = [] {
    std::vector<HostAction> all;
    addProcessActions(all);
    addScreenActions(all);
    addCallBarActions(all);
    addContactListActions(all);
    addSettingsActions(all);
    return all;
  }();
  return actions;
}

std::string hostActionsHelp() {
  std::string out = "Actions (--do, or lines on standard input):\n";
  for (const HostAction& a : hostActions()) {
    std::string head = a.name + (a.arguments.empty() ? "" : " " + a.arguments);
    head.resize(std::max<std::size_t>(head.size() + 2, 22), ' ');
    out += "  " + head + a.help + "\n";
  }
  return out;
}

std::string quotedStart(const std::string& text) {
  constexpr std::size_t kShown = 40;
  if (text.size() <= kShown) return "'" + text + "'";
  std::size_t cut = kShown;
  // Not inside a UTF-8 character.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return "'" + text.substr(0, cut) + "...'";
}

bool readHostLine(FILE* input, std::string* line, std::size_t* length) {
  line->clear();
  *length = 0;
  char piece[8192];
  bool any = false;
  while (std::fgets(piece, sizeof piece, input)) {
    any = true;
    std::size_t n = std::strlen(piece);
    bool ends = n > 0 && piece[n - 1] == '\n';
    if (ends) --n;
    *length += n;
    if (line->size() < kMostHostLineBytes + 1) {
      line->append(piece, std::min(n, kMostHostLineBytes + 1 - line->size()));
    }
    if (ends) break;
  }
  return any;
}

std::string overlongLineError(const std::string& start, std::size_t length) {
  return "a line of " + std::to_string(length) + " bytes is longer than " +
         std::to_string(kMostHostLineBytes) + ": " + quotedStart(start);
}

long hostNumberArgument(const std::string& action, const std::string& word) {
  errno = 0;
  char* end = nullptr;
  long value = std::strtol(word.c_str(), &end, 10);
  if (word.empty() || *end != '\0' || errno == ERANGE) {
    throw HostUsageError(action + ": " + quotedStart(word) + " is not a whole number");
  }
  return value;
}

std::chrono::milliseconds hostMillisecondsArgument(const std::string& action,
                                                   const std::string& word) {
  constexpr long kDay = 24L * 60 * 60 * 1000;
  long value = hostNumberArgument(action, word);
  if (value < 0 || value > kDay) {
    throw HostUsageError(action + ": " + quotedStart(word) + " milliseconds is not from 0 to " +
                         std::to_string(kDay));
  }
  return std::chrono::milliseconds(value);
}

HostLineOutcome carryOutHostLine(const std::string& line, const HostIdentity& identity) {
  if (line.size() > kMostHostLineBytes) return {2, overlongLineError(line, line.size())};
  std::istringstream input(line);
  std::string name;
  input >> name;
  if (name.empty() || name[0] == '#') return {};
  // A word in double quotes may hold spaces (a path), with \" and \\ inside for " and \.
  HostArguments words;
  for (std::string word; input >> std::quoted(word);) words.push_back(word);
  try {
    const HostAction* action = nullptr;
    for (const HostAction& a : hostActions()) {
      if (a.name == name) action = &a;
    }
    if (!action) throw HostUsageError("unknown action " + quotedStart(name) + " (see --help)");
    if (words.size() < action->minArguments || words.size() > action->maxArguments) {
      throw HostUsageError("usage: " + action->name +
                           (action->arguments.empty() ? "" : " " + action->arguments));
    }
    HostStep step = action->run(words, identity);
    std::fflush(stdout);
    if (step == HostStep::Exit) return {0, ""};
    return {};
  } catch (const HostUsageError& error) {
    std::fflush(stdout);
    return {2, error.what()};
  } catch (const HostActionFailure& error) {
    std::fflush(stdout);
    return {1, name + ": " + error.what()};
  }
}

std::optional<int> runHostLine(const std::string& line, const HostIdentity& identity) {
  HostLineOutcome outcome = carryOutHostLine(line, identity);
  if (!outcome.error.empty()) {
    std::fprintf(identity.scriptErrors, "talvocb-host: %s\n", outcome.error.c_str());
  }
  return outcome.status;
}

HostStep guarded(const std::function<void()>& body) {
  try {
    body();
  } catch (const objc_runtime_error& error) {
    throw HostActionFailure(error.what());
  }
  return HostStep::Continue;
}
