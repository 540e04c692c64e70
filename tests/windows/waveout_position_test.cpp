// The device's 32-bit play position, widened: playing on past a wrap of the counter keeps the
// position growing instead of starting the ring's block count over.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/win32/wrapping_counter.h"

namespace {

struct Case {
  const char* what;
  std::vector<std::uint32_t> readings;
  std::uint64_t total;
};

TEST(WaveOutPosition, GrowsPastEveryWrapOfTheDeviceCounter) {
  const std::vector<Case> cases = {
      {"no wrap", {0, 884, 88400}, 88400},
      {"one wrap", {0xFFFFFF00u, 0x00000100u}, 0x100000100ull},
      {"two wraps", {0x80000000u, 0xFFFFFFFFu, 0x10u, 0x90000000u, 0x5u}, 0x200000005ull},
      {"a reading that did not move", {1000, 1000, 1000}, 1000},
  };
  for (const Case& c : cases) {
    platform::WrappingCounter counter;
    std::uint64_t total = 0;
    for (std::uint32_t reading : c.readings) total = counter.Advance(reading);
    EXPECT_EQ(total, c.total) << c.what;
  }
}

TEST(WaveOutPosition, ResetStartsFromZero) {
  platform::WrappingCounter counter;
  counter.Advance(0xF0000000u);
  counter.Reset();
  EXPECT_EQ(counter.Advance(10), 10u);
}

}  // namespace
