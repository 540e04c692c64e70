// The feeder held up while the device goes on round the ring, replayed offline through the
// feeder's own path (AUDIO_Software_Follow with the device's byte position): after a stall of
// a lap or more the ring starts afresh behind the playing block, and what the device plays from
// the next block on is the song going on exactly where the mixing stopped, nothing skipped and
// nothing mixed twice; the clock never steps back. A stall shorter than a lap loses nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "player/music.h"
#include "sound/file_access.h"
#include "sound/memsource.h"
#include "sound/output.h"

namespace {

constexpr std::int32_t kRate = 44100;
constexpr std::int64_t kRing = 100;        // blocks
constexpr std::int64_t kStallFrom = 150;   // the device's block at the feeder's last turn
constexpr std::int64_t kAfterwards = 250;  // blocks followed after the stall: more than a lap

struct Block {
  std::vector<std::int16_t> frames;
  std::int32_t time_ms;
};

// The song's first `count` blocks as an uninterrupted offline render gives them.
std::vector<Block> Reference(MUSIC_MODULE* module, std::int64_t count) {
  std::vector<Block> blocks;
  if (AUDIO_InitOffline(kRate) != 1 || MUSIC_PlaySong(module) != 1) return blocks;
  for (std::int64_t i = 0; i < count; ++i) {
    MUSIC_TIMEINFO info{};
    const std::int16_t* frames = AUDIO_Offline_FillNext(&info);
    if (!frames) break;
    blocks.push_back({std::vector<std::int16_t>(frames, frames + AUDIO_BlockSize * 2), info.time_ms});
  }
  MUSIC_StopSong(module);
  return blocks;
}

// What the device plays while its position is in block `position` of the looping ring.
std::vector<std::int16_t> Playing(std::int64_t position) {
  const std::int16_t* start = AUDIO_MixBlock.data + (position % kRing) * AUDIO_BlockSize * 2;
  return std::vector<std::int16_t>(start, start + AUDIO_BlockSize * 2);
}

class RingRestart : public ::testing::TestWithParam<std::int64_t> {
 protected:
  void SetUp() override {
    AUDIO_File_SetCallbacks(memopen, memclose, memread, memseek, memtell);
    module_ = MUSIC_LoadSong("song", nullptr);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_) MUSIC_FreeSong(module_);
    AUDIO_Close();
  }

  // One turn of the feeder with the device at the start of block `position`.
  void Follow(std::int64_t position) {
    AUDIO_Software_Follow(std::uint64_t(position) * std::uint64_t(AUDIO_BlockSize) * 4);
  }

  MUSIC_MODULE* module_ = nullptr;
};

TEST_P(RingRestart, TheDeviceGoesOnWithTheSongWhereTheMixingStopped) {
  const std::int64_t stall = GetParam();  // blocks the device plays with the feeder held
  const std::int64_t resumed_at = kStallFrom + stall;
  const bool lapped = stall >= kRing;
  // Music the device hears after the stall: right after the last block mixed before it when
  // the ring was restarted, or simply the next block when the feeder caught up in time.
  const std::int64_t shift = lapped ? resumed_at + 1 - (kStallFrom + kRing) : 0;
  const std::vector<Block> reference = Reference(module_, resumed_at + 1 + kAfterwards);
  ASSERT_EQ(std::int64_t(reference.size()), resumed_at + 1 + kAfterwards);

  ASSERT_EQ(AUDIO_InitOffline(kRate), 1);
  ASSERT_EQ(MUSIC_PlaySong(module_), 1);
  do AUDIO_Software_Fill(); while (AUDIO_Software_FillBlock != 0);  // the ring mixed ahead

  std::int32_t clock = 0;
  for (std::int64_t position = 1; position <= resumed_at + kAfterwards; ++position) {
    const bool feeder_runs = position <= kStallFrom || position >= resumed_at;
    if (feeder_runs) Follow(position);
    const std::int32_t now = MUSIC_GetTime(module_);
    ASSERT_GE(now, clock) << "the clock stepped back at block " << position;
    clock = now;

    if (position == resumed_at && lapped) {
      // The block playing when the feeder wakes is a lap old; the clock reports the end of
      // the newest music mixed before the stall, which the device has played by then.
      ASSERT_EQ(now, reference[kStallFrom + kRing - 1].time_ms) << "clock when the feeder wakes";
      continue;
    }
    std::int64_t heard = position;
    if (!feeder_runs) {
      // The device loops over what the ring held when the feeder stopped.
      heard = kStallFrom + (position - kStallFrom) % kRing;
    } else {
      if (position > resumed_at) heard = position - shift;
      ASSERT_EQ(now, reference[heard].time_ms) << "clock at block " << position;
    }
    ASSERT_TRUE(Playing(position) == reference[heard].frames)
        << "block " << position << " does not play music block " << heard << " of the song";
  }
  MUSIC_StopSong(module_);
}

// Just under a lap (the feeder catches up with nothing lost), exactly a lap, a lap and a bit,
// two and a half laps.
INSTANTIATE_TEST_SUITE_P(Stalls, RingRestart, ::testing::Values(99, 100, 137, 250),
                         [](const ::testing::TestParamInfo<std::int64_t>& info) {
                           return std::to_string(info.param) + "Blocks";
                         });

}  // namespace
