#include "command_line.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "version.h"

namespace tool {

std::optional<int> AnswerHelpOrVersion(int argc, char** argv, const char* program, const char* help) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(help, stdout);
      return std::fflush(stdout) == 0 ? kExitOk : kExitBadInput;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("%s (Tarvelon) %s\n", program, kTarvelonVersion);
      return std::fflush(stdout) == 0 ? kExitOk : kExitBadInput;
    }
  }
  return std::nullopt;
}

bool ParseNumber(const char* text, double* value) {
  char* end = nullptr;
  errno = 0;
  *value = std::strtod(text, &end);
  return errno == 0 && end != text && *end == '\0';
}

int UsageError(const char* program, const std::string& message) {
  std::fprintf(stderr, "%s: %s (see %s --help)\n", program, message.c_str(), program);
  return kExitBadUsage;
}

int InputError(const char* program, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", program, message.c_str());
  return kExitBadInput;
}

}  // namespace tool
