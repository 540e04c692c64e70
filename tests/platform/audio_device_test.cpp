// The audio device on SDL's disk driver, which writes exactly what the device played to a
// file, and without any usable device.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace {

constexpr std::uint32_t kRingBytes = 3000;  // not a multiple of the device's block

// No zero byte anywhere, so the device's silence around it is told apart, and no short
// period, so a play position that slips shows.
std::vector<std::uint8_t> Ring() {
  std::vector<std::uint8_t> ring(kRingBytes);
  for (std::uint32_t i = 0; i < kRingBytes; ++i) ring[i] = std::uint8_t(1 + (i * 7 + i / 251) % 255);
  return ring;
}

std::string RecordingPath() {
  return ::testing::TempDir() + "tarvelon_audio_" + std::to_string(getpid()) + ".raw";
}

void UseDiskDriver(const std::string& path) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
  unsetenv("SDL_DISKAUDIODELAY");  // plays in real time
}

// Polls until the position reaches `bytes`; false after a few seconds.
bool WaitForPosition(std::uint64_t bytes) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (platform::AudioPosition() < bytes) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    platform::SleepMs(5);
  }
  return true;
}

TEST(AudioDevice, LoopingBufferIsPlayedRepeatedByteForByte) {
  const std::string path = RecordingPath();
  UseDiskDriver(path);
  const std::vector<std::uint8_t> ring = Ring();
  ASSERT_TRUE(platform::AudioOpen(44100));
  ASSERT_TRUE(platform::AudioPlayLooping(ring.data(), kRingBytes));

  std::uint64_t last = 0;
  for (std::uint64_t goal : {kRingBytes / 2ull, 2ull * kRingBytes, 5ull * kRingBytes}) {
    ASSERT_TRUE(WaitForPosition(goal)) << "the position stopped at " << platform::AudioPosition();
    const std::uint64_t now = platform::AudioPosition();
    EXPECT_GE(now, last);
    last = now;
  }
  platform::AudioClose();

  std::ifstream file(path, std::ios::binary);
  const std::vector<std::uint8_t> recorded{std::istreambuf_iterator<char>(file), {}};
  std::remove(path.c_str());

  // Silence is what the device plays before the ring is handed over and after it is taken
  // back; everything between must be the ring, from its first byte, over and over.
  std::size_t begin = 0, end = recorded.size();
  while (begin < end && recorded[begin] == 0) ++begin;
  while (end > begin && recorded[end - 1] == 0) --end;
  ASSERT_GE(end - begin, last) << "the file holds less than the device reported playing";
  std::size_t mismatches = 0, first_mismatch = 0;
  for (std::size_t i = begin; i < end; ++i) {
    if (recorded[i] != ring[(i - begin) % kRingBytes] && mismatches++ == 0) first_mismatch = i - begin;
  }
  EXPECT_EQ(mismatches, 0u) << "first at byte " << first_mismatch << " of the played part";
}

TEST(AudioDevice, ResetReturnsThePositionToZeroAndAnotherLoopStartsAfresh) {
  const std::string path = RecordingPath();
  UseDiskDriver(path);
  const std::vector<std::uint8_t> ring = Ring();
  ASSERT_TRUE(platform::AudioOpen(44100));
  ASSERT_TRUE(platform::AudioPlayLooping(ring.data(), kRingBytes));
  ASSERT_TRUE(WaitForPosition(kRingBytes));

  platform::AudioReset();
  EXPECT_EQ(platform::AudioPosition(), 0u);
  platform::SleepMs(60);
  EXPECT_EQ(platform::AudioPosition(), 0u) << "the device went on playing after a reset";

  ASSERT_TRUE(platform::AudioPlayLooping(ring.data(), kRingBytes));
  EXPECT_TRUE(WaitForPosition(kRingBytes));
  platform::AudioClose();
  EXPECT_EQ(platform::AudioPosition(), 0u);
  std::remove(path.c_str());
}

TEST(AudioDevice, NoUsableDeviceFailsCleanly) {
  setenv("SDL_AUDIODRIVER", "nonexistent", 1);
  EXPECT_FALSE(platform::AudioOpen(44100));
  const std::vector<std::uint8_t> ring = Ring();
  EXPECT_FALSE(platform::AudioPlayLooping(ring.data(), kRingBytes));
  EXPECT_EQ(platform::AudioPosition(), 0u);
  platform::AudioReset();
  platform::AudioClose();

  // A driver that exists but cannot open its device.
  UseDiskDriver(::testing::TempDir() + "no-such-directory/sound.raw");
  EXPECT_FALSE(platform::AudioOpen(44100));
  EXPECT_FALSE(platform::AudioPlayLooping(ring.data(), kRingBytes));
  platform::AudioClose();

  // And a failed open leaves nothing behind that would stop a later one.
  const std::string path = RecordingPath();
  UseDiskDriver(path);
  EXPECT_TRUE(platform::AudioOpen(44100));
  platform::AudioClose();
  std::remove(path.c_str());
}

TEST(AudioDevice, NothingToPlayIsRefused) {
  const std::string path = RecordingPath();
  UseDiskDriver(path);
  ASSERT_TRUE(platform::AudioOpen(44100));
  const std::uint8_t byte = 1;
  EXPECT_FALSE(platform::AudioPlayLooping(nullptr, kRingBytes));
  EXPECT_FALSE(platform::AudioPlayLooping(&byte, 0));
  platform::AudioClose();
  std::remove(path.c_str());
}

}  // namespace
