// The music clock on a playing song: the output plays a hand-built song on SDL's dummy device,
// and the clock the scene reads follows it, block by block, never going back.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/platform.h"
#include "player/music.h"
#include "scene/clock.h"
#include "sound/file_access.h"
#include "sound/memsource.h"
#include "sound/output.h"
#include "sound/test_song.h"

namespace {

TEST(ClockRunning, FollowsThePlayingSong) {
  AUDIO_File_SetCallbacks(memopen, memclose, memread, memseek, memtell);
  ASSERT_EQ(1, AUDIO_Init(44100));
  testsong::Song song;
  testsong::Make(&song, 140);
  ASSERT_EQ(1, MUSIC_PlaySong(&song.module));

  std::vector<float> seen;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
  while (std::chrono::steady_clock::now() < end) {
    SesGuncelle(&song.module);
    seen.push_back(mytime);
    platform::SleepMs(5);
  }
  MUSIC_StopSong(&song.module);
  AUDIO_Close();

  ASSERT_FALSE(seen.empty());
  // The first value is already the end of the first block; it then grows by whole blocks of
  // about 20 ms and never falls back.
  EXPECT_GT(seen.front(), 0.0f);
  int steps = 0;
  for (std::size_t i = 1; i < seen.size(); ++i) {
    ASSERT_GE(seen[i], seen[i - 1]) << "at sample " << i;
    if (seen[i] > seen[i - 1]) ++steps;
  }
  EXPECT_GT(seen.back(), seen.front() + 200.0f) << "the clock did not run";
  EXPECT_GT(steps, 5);
  for (float t : seen) EXPECT_EQ(t, static_cast<float>(static_cast<long long>(t))) << "whole milliseconds";

  SesGuncelle(nullptr);
  EXPECT_EQ(0.0f, mytime);
}

}  // namespace
