// libFuzzer target: arbitrary bytes as an XM module, loaded and rendered for one second.
#include <cstddef>
#include <cstdint>

#include "xm_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzLoadAndRender(data, size);
  return 0;
}
