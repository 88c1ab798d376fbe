#pragma once

#include "cli/CliArguments.h"

#include <QString>

#include <string>

namespace orvel::cli {

// Exit statuses of orvel-cli.
constexpr int kExitSuccess = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// Runs one parsed command: opens the input as the program opens a
// document, does the work, saves as "Speichern unter" does. Results go to
// `out` (UTF-8 with "\n"); messages and timing go to standard error through
// the installed services. Returns the exit status. The process is to end
// soon after: the document's records are not freed.
int RunCliCommand(const CliArguments &args, std::string &out);

} // namespace orvel::cli
