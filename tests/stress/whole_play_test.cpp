// The whole song through the device path, as the demo plays it: SDL's disk driver takes the
// ring about twice as fast as it sounds (written to nowhere), the feeder keeps up, and
// the main thread asks for the time, order and row as each frame of the scene does, until the
// clock passes the demo's end. Under ThreadSanitizer this is the race check of a whole run.
// (With no delay at all the device would overtake the feeder and read blocks while they are
// written: a device that outruns its feeder races by design. At twice the speed the 2 s ring
// lasts a second of wall time, which covers a feeder held up on a loaded machine under the
// sanitizer; at three times it once did not, and the clock went back a lap.)
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>

#include "platform/platform.h"
#include "player/music.h"
#include "sound/file_access.h"
#include "sound/memsource.h"
#include "sound/output.h"

namespace {

constexpr std::int32_t kDemoEndMs = 70000;

TEST(WholePlay, TheClockRunsToTheDemosEndWhileTheMainThreadAsks) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  setenv("SDL_DISKAUDIODELAY", "6", 1);  // ms per 512-frame buffer of 11.6 ms
  AUDIO_File_SetCallbacks(memopen, memclose, memread, memseek, memtell);
  ASSERT_EQ(AUDIO_Init(44100), 1);
  MUSIC_MODULE* module = MUSIC_LoadSong("song", nullptr);
  ASSERT_NE(module, nullptr);
  ASSERT_EQ(MUSIC_PlaySong(module), 1);
  // A failed check below still ends the feeder before the test does, so the failure is
  // reported instead of the process ending on a thread left running.
  struct StopOnExit {
    MUSIC_MODULE* module;
    ~StopOnExit() {
      if (!module) return;
      MUSIC_StopSong(module);
      MUSIC_FreeSong(module);
      AUDIO_Close();
    }
  } stop_on_exit{module};

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(4);
  std::int32_t last = 0;
  int orders_seen = 0;
  std::int32_t last_order = -1;
  while (last <= kDemoEndMs && std::chrono::steady_clock::now() < deadline) {
    const std::int32_t now = MUSIC_GetTime(module);
    const std::int32_t order = MUSIC_GetOrder(module);
    EXPECT_LT(MUSIC_GetRow(module), 256);
    ASSERT_GE(now, last) << "the clock stepped back";
    if (order != last_order) ++orders_seen;
    last_order = order;
    last = now;
    platform::SleepMs(1);
  }
  EXPECT_GT(last, kDemoEndMs) << "waited 4 min for the clock to pass the demo's end";
  EXPECT_GT(orders_seen, 5) << "the song went through its sections";
  stop_on_exit.module = nullptr;
  EXPECT_EQ(MUSIC_StopSong(module), 1);
  EXPECT_EQ(AUDIO_Software_ThreadFinished.load(), 1);
  MUSIC_FreeSong(module);
  AUDIO_Close();
}

}  // namespace
