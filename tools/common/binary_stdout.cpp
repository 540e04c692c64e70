#include "binary_stdout.h"

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace tool {

bool SetStdoutBinary() {
#ifdef _WIN32
  return _setmode(_fileno(stdout), _O_BINARY) != -1;
#else
  return true;
#endif
}

}  // namespace tool
