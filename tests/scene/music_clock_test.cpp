// The clock's conversion from the player's millisecond count. The player is stood in for by a
// fixed count here, so the test sees the conversion alone.
#include <gtest/gtest.h>

#include <cstdint>

#include "player/music.h"
#include "scene/clock.h"

namespace {

std::int32_t g_reported = 0;
MUSIC_MODULE* g_asked = nullptr;

}  // namespace

std::int32_t MUSIC_GetTime(MUSIC_MODULE* module) {
  g_asked = module;
  return module ? g_reported : 0;
}

namespace {

TEST(MusicClock, TakesThePlayersMillisecondsAsTheNearestFloat) {
  MUSIC_MODULE* song = reinterpret_cast<MUSIC_MODULE*>(&g_reported);  // only passed through
  const struct {
    std::int32_t reported;
    float expected;
  } cases[] = {
      {0, 0.0f},
      {70001, 70001.0f},
      {16777217, 16777216.0f},                      // the nearest float, ties to even
      {16777219, 16777220.0f},
      {static_cast<std::int32_t>(0x80000000u), 2147483648.0f},  // past 2^31 the count is unsigned
      {-1, 4294967296.0f},
  };
  for (const auto& c : cases) {
    g_reported = c.reported;
    mytime = -5.0f;
    SesGuncelle(song);
    EXPECT_EQ(song, g_asked);
    EXPECT_EQ(c.expected, mytime) << "reported " << c.reported;
  }
}

TEST(MusicClock, NoSongReadsZero) {
  mytime = 1234.0f;
  SesGuncelle(nullptr);
  EXPECT_EQ(0.0f, mytime);
}

}  // namespace
