// libFuzzer target: arbitrary bytes as an XM module, loaded and played for a bounded number
// of ticks.
#include <cstddef>
#include <cstdint>

#include "xm_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzLoadAndRender(data, size);
  return 0;
}
