// Runs a command line through the shell, as a script would, and keeps what it printed.
#pragma once

#include <string>

namespace testsupport {

struct ProgramRun {
  int exit_code = -1;  // -1 when the program did not exit normally
  std::string out;
  std::string err;
};

ProgramRun RunProgram(const std::string& command_line);

}  // namespace testsupport
