// The waveOut device behind the platform layer (on whatever device wine's sound driver has; the
// runner gives it ALSA's null sink, which plays about four times faster than real time), and
// its 32-bit play position widened: playing on past a wrap of the counter keeps the position
// growing instead of starting the ring's block count over.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/platform.h"
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

constexpr std::uint32_t kRingBytes = 884 * 4 * 10;

bool WaitForPosition(std::uint64_t bytes) {
  for (int waited = 0; waited < 5000; waited += 10) {
    if (platform::AudioPosition() >= bytes) return true;
    platform::SleepMs(10);
  }
  return false;
}

TEST(WaveOutDevice, ResetReturnsThePositionToZeroAndAnotherLoopStartsAfresh) {
  const std::vector<std::uint8_t> ring(kRingBytes, 1);
  ASSERT_TRUE(platform::AudioOpen(44100));
  ASSERT_TRUE(platform::AudioPlayLooping(ring.data(), kRingBytes));
  EXPECT_TRUE(WaitForPosition(2 * kRingBytes)) << "the loop did not play on past its end";

  platform::AudioReset();
  EXPECT_EQ(platform::AudioPosition(), 0u);
  platform::SleepMs(60);
  EXPECT_EQ(platform::AudioPosition(), 0u) << "the device went on playing after a reset";

  ASSERT_TRUE(platform::AudioPlayLooping(ring.data(), kRingBytes));
  EXPECT_TRUE(WaitForPosition(kRingBytes));
  platform::AudioClose();
  EXPECT_EQ(platform::AudioPosition(), 0u);
  EXPECT_FALSE(platform::AudioDeviceLost());
}

TEST(WaveOutDevice, NothingToPlayOrNoDeviceIsRefused) {
  const std::uint8_t byte = 1;
  EXPECT_FALSE(platform::AudioPlayLooping(&byte, 1)) << "played without an open device";
  ASSERT_TRUE(platform::AudioOpen(44100));
  EXPECT_FALSE(platform::AudioPlayLooping(nullptr, kRingBytes));
  EXPECT_FALSE(platform::AudioPlayLooping(&byte, 0));
  platform::AudioClose();
}

}  // namespace
