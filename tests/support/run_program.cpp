#include "run_program.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace testsupport {
namespace {

std::string TakeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(path.c_str());
  return text;
}

}  // namespace

ProgramRun RunProgram(const std::string& command_line) {
  const std::string base =
      (std::filesystem::temp_directory_path() / ("program_run_" + std::to_string(::getpid()))).string();
  const int status = std::system((command_line + " >" + base + ".out 2>" + base + ".err").c_str());
  ProgramRun run;
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = TakeFile(base + ".out");
  run.err = TakeFile(base + ".err");
  return run;
}

}  // namespace testsupport
