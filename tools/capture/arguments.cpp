#include "arguments.h"

#include "command_line.h"

bool ParseSeconds(const char* text, double* seconds) {
  return tool::ParseNumber(text, seconds) && *seconds >= 0 && *seconds < 1e6;
}
