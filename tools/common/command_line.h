// What every tool of ours does with its command line the same way: --help and --version on
// standard output, one-line errors on standard error, and the exit codes scripts rely on.
#pragma once

#include <optional>
#include <string>

namespace tool {

enum ExitCode : int {
  kExitOk = 0,
  kExitBadInput = 1,  // the input could not be read or used, or the output could not be written
  kExitBadUsage = 2,  // the command line itself is wrong
};

// When the arguments hold --help or --version, prints the help text or the version line and
// gives the exit code; otherwise nothing. Both win over anything else on the line.
std::optional<int> AnswerHelpOrVersion(int argc, char** argv, const char* program, const char* help);

// True when the whole of `text` is one number in range for a double; its value in `value`.
// The caller checks the range its option allows.
bool ParseNumber(const char* text, double* value);

// "PROGRAM: MESSAGE (see PROGRAM --help)" on standard error; returns kExitBadUsage.
int UsageError(const char* program, const std::string& message);

// "PROGRAM: MESSAGE" on standard error; returns kExitBadInput.
int InputError(const char* program, const std::string& message);

}  // namespace tool
