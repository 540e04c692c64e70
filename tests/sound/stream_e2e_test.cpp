// The whole stream on SDL's disk audio driver: a hand-built song starts with MUSIC_PlaySong,
// the feeder keeps the ring filled while the device plays it into a file, and the file must
// hold exactly the blocks the block mixer produced, in play order.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "player/music.h"
#include "player/music_control.h"
#include "sound/file_access.h"
#include "sound/memsource.h"
#include "sound/output.h"
#include "sound/test_song.h"

namespace {

constexpr std::uint64_t kBlockBytes = 884 * 4;
constexpr std::uint64_t kPlayBytes = 44100ull * 4 * 3;  // three seconds: the ring is refilled 1.5 times

struct Sample {
  std::uint64_t before;  // device bytes before the query
  std::int32_t time_ms;
  std::uint64_t after;  // device bytes after it
};

std::vector<unsigned char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::size_t FirstNonZero(const std::vector<unsigned char>& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i]) return i;
  return bytes.size();
}

// Plays three seconds on the disk driver and compares them with the block mixer's render. With
// `step_from_outside` the feeder thread is held and the caller runs the feeder's step instead,
// as a device that drives the feeder itself does.
void PlayAndCompare(bool step_from_outside) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("tarvelon_stream_" + std::to_string(getpid()) + ".raw")).string();
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
  unsetenv("SDL_DISKAUDIODELAY");  // the default: the file is written at the audio's own pace

  AUDIO_File_SetCallbacks(memopen, memclose, memread, memseek, memtell);
  ASSERT_EQ(AUDIO_Init(44100), 1);
  testsong::Song song;
  testsong::Make(&song, 140);
  testsong::ResetCounters();
  AUDIO_Software_Hold.store(step_from_outside ? 1 : 0);
  ASSERT_EQ(MUSIC_PlaySong(&song.module), 1);

  std::vector<Sample> samples;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(25);
  for (;;) {
    Sample s{};
    s.before = platform::AudioPosition();
    s.time_ms = MUSIC_GetTime(&song.module);
    s.after = platform::AudioPosition();
    samples.push_back(s);
    if (s.after >= kPlayBytes || std::chrono::steady_clock::now() > deadline) break;
    platform::SleepMs(3);
    if (step_from_outside) AUDIO_Software_FeederStep();
  }
  const std::uint64_t played = platform::AudioPosition();
  ASSERT_GE(played, kPlayBytes) << "the device did not play three seconds in time";

  ASSERT_EQ(MUSIC_StopSong(&song.module), 1);
  AUDIO_Software_Hold.store(0);
  EXPECT_EQ(AUDIO_Software_ThreadFinished.load(), 1);
  EXPECT_EQ(MUSIC_PlayingSong, nullptr);
  EXPECT_EQ(MUSIC_GetTime(&song.module), 0);
  const int ticks_at_stop = testsong::g_updates;
  platform::SleepMs(30);
  EXPECT_EQ(testsong::g_updates, ticks_at_stop) << "the feeder mixed after the stop";
  AUDIO_Close();  // closes the file the driver wrote

  const std::vector<unsigned char> recorded = ReadFile(path);
  std::filesystem::remove(path);
  ASSERT_GE(recorded.size(), played);

  // The same song rendered block by block without a device.
  ASSERT_EQ(AUDIO_InitOffline(44100), 1);
  ASSERT_EQ(MUSIC_PlaySong(&song.module), 1);
  const std::size_t blocks = std::size_t(played / kBlockBytes) + 2;
  std::vector<unsigned char> expected;
  std::vector<std::int32_t> block_time;
  for (std::size_t b = 0; b < blocks; ++b) {
    MUSIC_TIMEINFO info{};
    const std::int16_t* frames = AUDIO_Offline_FillNext(&info);
    ASSERT_NE(frames, nullptr);
    const auto* bytes = reinterpret_cast<const unsigned char*>(frames);
    expected.insert(expected.end(), bytes, bytes + kBlockBytes);
    block_time.push_back(info.time_ms);
  }
  MUSIC_StopSong(&song.module);

  // The driver writes silence while the device waits to be started; the song begins where the
  // first sound lines up.
  const std::size_t first_sound = FirstNonZero(expected);
  ASSERT_LT(first_sound, std::size_t(64));
  const std::size_t recorded_sound = FirstNonZero(recorded);
  ASSERT_GE(recorded_sound, first_sound);
  const std::size_t start = recorded_sound - first_sound;
  ASSERT_EQ(start % 4, 0u);
  std::printf("silence before the song: %zu bytes; compared %llu bytes\n", start, (unsigned long long)played);
  ASSERT_GE(recorded.size() - start, played);
  std::size_t mismatched_blocks = 0, first_mismatch = SIZE_MAX;
  for (std::uint64_t b = 0; b * kBlockBytes < played; ++b) {
    const std::size_t length = std::size_t(std::min<std::uint64_t>(kBlockBytes, played - b * kBlockBytes));
    if (!std::equal(expected.begin() + std::ptrdiff_t(b * kBlockBytes),
                    expected.begin() + std::ptrdiff_t(b * kBlockBytes + length),
                    recorded.begin() + std::ptrdiff_t(start + b * kBlockBytes))) {
      ++mismatched_blocks;
      first_mismatch = std::min<std::size_t>(first_mismatch, std::size_t(b));
    }
  }
  EXPECT_EQ(mismatched_blocks, 0u) << "first differing block " << first_mismatch << " of "
                                   << played / kBlockBytes;

  // The clock never runs backwards, and reports the block being played: never one ahead of the
  // device, and only behind by the feeder's few milliseconds of polling.
  std::int32_t previous = 0;
  std::size_t behind = 0;
  for (const Sample& s : samples) {
    EXPECT_GE(s.time_ms, previous);
    previous = s.time_ms;
    const auto found = std::find(block_time.begin(), block_time.end(), s.time_ms);
    ASSERT_NE(found, block_time.end()) << s.time_ms << " ms is no block's time";
    const std::uint64_t block = std::uint64_t(found - block_time.begin());
    EXPECT_LE(block, s.after / kBlockBytes);
    EXPECT_GE(block + 10, s.before / kBlockBytes) << "the clock fell far behind the device";
    if (block + 1 < s.before / kBlockBytes) ++behind;
  }
  EXPECT_GT(previous, 2500) << "the clock followed three seconds of audio";
  EXPECT_LT(behind, samples.size() / 4) << "the clock lagged more than a block most of the time";
}

TEST(StreamEndToEnd, DevicePlaysExactlyWhatTheBlockMixerMixed) { PlayAndCompare(false); }

TEST(StreamEndToEnd, FeederStepRunFromOutsideKeepsTheSameSound) { PlayAndCompare(true); }

}  // namespace
