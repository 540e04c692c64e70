// The embedded song played by our own player through the in-memory source, block by block as
// the device gets it: the clock the picture reads matches the song clock tool, and the song's
// sections begin at the clock times of the picture's cuts.
#include <gtest/gtest.h>

#include <vector>

#include "content.h"
#include "player/music.h"
#include "songclock.h"
#include "sound/file_access.h"
#include "sound/memsource.h"
#include "sound/output.h"

namespace {

struct Played {
  std::vector<MUSIC_TIMEINFO> blocks;
};

class SongInOurPlayerClock : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    AUDIO_File_SetCallbacks(memopen, memclose, memread, memseek, memtell);
    ASSERT_TRUE(AUDIO_InitOffline(44100));
    MUSIC_MODULE* module = MUSIC_LoadSong(muzik, nullptr);
    ASSERT_NE(module, nullptr);
    ASSERT_TRUE(MUSIC_PlaySong(module));
    // 76 s of sound: past the demo's end at 70 s of clock.
    for (int b = 0; b < 3800; ++b) {
      MUSIC_TIMEINFO info{};
      ASSERT_NE(AUDIO_Offline_FillNext(&info), nullptr);
      played_.blocks.push_back(info);
    }
    MUSIC_StopSong(module);
    MUSIC_FreeSong(module);
  }
  static Played played_;
};
Played SongInOurPlayerClock::played_;

TEST_F(SongInOurPlayerClock, MatchesTheClockTool) {
  ASSERT_EQ(played_.blocks.size(), 3800u);
  const auto replay = songclock::Replay(140, 6, 44100, 3800);
  for (std::size_t b = 0; b < replay.size(); ++b) {
    ASSERT_EQ(played_.blocks[b].time_ms, replay[b].time_ms) << "block " << b;
  }
}

TEST_F(SongInOurPlayerClock, SectionsStartAtThePicturesCuts) {
  ASSERT_EQ(played_.blocks.size(), 3800u);
  struct Cut {
    std::int32_t clock_ms;
    int order;
    int row;
  };
  // Main part, box field, blast, outro, and the last chord on the closing flash.
  for (const Cut& cut : {Cut{15000, 3, 0}, Cut{35000, 7, 0}, Cut{57000, 11, 0}, Cut{59000, 12, 0},
                         Cut{69000, 13, 32}}) {
    std::size_t b = 0;
    while (b < played_.blocks.size() && played_.blocks[b].time_ms < cut.clock_ms) ++b;
    ASSERT_LT(b, played_.blocks.size()) << cut.clock_ms;
    EXPECT_EQ(played_.blocks[b].order, cut.order) << "clock " << cut.clock_ms;
    EXPECT_EQ(played_.blocks[b].row, cut.row) << "clock " << cut.clock_ms;
  }
  // The demo ends after 70 s of clock, still inside the first play of the song.
  EXPECT_GT(played_.blocks.back().time_ms, 70000);
  for (const auto& info : played_.blocks) {
    if (info.time_ms > 70000) break;
    ASSERT_LT(info.order, 14);
  }
}

}  // namespace
