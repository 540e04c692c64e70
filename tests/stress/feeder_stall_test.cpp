// The feeder held up for longer than the ring lasts while the device goes on looping it: the
// clock never steps back and moves on once the feeder does; the device goes on with new music
// right after the block it plays when the feeder wakes, instead of replaying blocks a lap old;
// and the stop still ends the feeder at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "platform/platform.h"
#include "player/music.h"
#include "player/music_control.h"
#include "sound/file_access.h"
#include "sound/memsource.h"
#include "sound/output.h"

namespace {

using Clock = std::chrono::steady_clock;

class FeederStall : public ::testing::Test {
 protected:
  void SetUp() override {
    AUDIO_File_SetCallbacks(memopen, memclose, memread, memseek, memtell);
    if (AUDIO_Init(44100) != 1) GTEST_SKIP() << "no audio device";
    module_ = MUSIC_LoadSong("song", nullptr);
    ASSERT_NE(module_, nullptr);
    ASSERT_EQ(MUSIC_PlaySong(module_), 1);
  }
  void TearDown() override {
    AUDIO_Software_Hold.store(0);
    MUSIC_FreeSong(module_);
    AUDIO_Close();
  }

  // Reads the clock as the scene does, every few milliseconds, until `done` says so; fails
  // the test at the first reading below the one before, or when `what` has not come to pass
  // within `seconds`.
  template <typename Done>
  void WatchClock(const char* what, int seconds, Done done) {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
      ASSERT_LT(Clock::now(), deadline) << "waited " << seconds << " s for " << what << "; the clock stands at "
                                        << last_ << " ms";
      const std::int32_t now = MUSIC_GetTime(module_);
      ASSERT_GE(now, last_) << "the clock stepped back";
      last_ = now;
      platform::SleepMs(3);
    }
  }

  // Holds the feeder and waits for a turn in progress to end.
  static void HoldFeeder() {
    AUDIO_Software_Hold.store(1);
    platform::SleepMs(20);
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (AUDIO_Software_UpdateMutex.load() != 0) {
      ASSERT_LT(Clock::now(), deadline) << "waited 5 s for the feeder's turn in progress to end";
      platform::SleepMs(1);
    }
  }

  static std::int32_t NewestInRing() {
    std::int32_t newest = 0;
    for (int block = 0; block < 100; ++block) newest = std::max(newest, MUSIC_ReadTimeInfo(block).time_ms);
    return newest;
  }

  MUSIC_MODULE* module_ = nullptr;
  std::int32_t last_ = 0;
};

TEST_F(FeederStall, ClockHoldsThenResumesWithNewMusicAfterAStallLongerThanTheRing) {
  const auto start = Clock::now();
  ASSERT_NO_FATAL_FAILURE(
      WatchClock("300 ms of play", 5, [&] { return Clock::now() - start > std::chrono::milliseconds(300); }));

  // Held for 3 s, and at least until the device has gone round the ring one and a half times.
  ASSERT_NO_FATAL_FAILURE(HoldFeeder());
  const std::int32_t newest_before = NewestInRing();
  const std::uint64_t ring_bytes = AUDIO_MixBlock.bytes;
  const std::uint64_t held_at = platform::AudioPosition();
  const auto held_since = Clock::now();
  ASSERT_NO_FATAL_FAILURE(WatchClock("the device to go one and a half times round the ring", 30, [&] {
    return Clock::now() - held_since > std::chrono::seconds(3) &&
           platform::AudioPosition() - held_at > ring_bytes * 3 / 2;
  }));
  const std::int32_t held_time = last_;
  AUDIO_Software_Hold.store(0);
  ASSERT_NO_FATAL_FAILURE(WatchClock("the clock to move 200 ms on once the feeder runs again", 10,
                                     [&] { return last_ > held_time + 200; }));

  // Every block the device will play next is music mixed after the stall, in play order.
  ASSERT_NO_FATAL_FAILURE(HoldFeeder());
  const std::int32_t playing = AUDIO_Software_RealBlock.load();
  std::int32_t previous = MUSIC_ReadTimeInfo(playing).time_ms;
  for (int k = 1; k < 100; ++k) {
    const std::int32_t time_ms = MUSIC_ReadTimeInfo((playing + k) % 100).time_ms;
    ASSERT_GT(time_ms, newest_before) << k << " blocks after the playing one";
    ASSERT_GE(time_ms - previous, 18) << k;
    ASSERT_LE(time_ms - previous, 20) << k;
    previous = time_ms;
  }

  const auto stop_start = Clock::now();
  MUSIC_StopSong(module_);
  EXPECT_LT(Clock::now() - stop_start, std::chrono::milliseconds(500));
  EXPECT_EQ(AUDIO_Software_ThreadFinished.load(), 1);
}

}  // namespace
