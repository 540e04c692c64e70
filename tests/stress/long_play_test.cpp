// A day of the song looping, through the feeder's own path (the ring mixed ahead, then one
// block refilled per turn of a device whose 64-bit byte position passes 2^32), mixed offline
// flat out at 16 kHz so the day takes about a minute: the clock, the block count and the
// position stay exact, and the rows repeat with the song's loop to the last tick.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "content.h"
#include "player/music.h"
#include "player/xm.h"
#include "sound/file_access.h"
#include "sound/memsource.h"
#include "sound/output.h"

namespace {

constexpr std::int32_t kRate = 16000;
constexpr std::int32_t kBlock = 320;         // frames: 16,000 / 50, a multiple of 4
constexpr std::int32_t kTick = 285;          // frames: 2.5 / 140 BPM x 16,000, truncated
constexpr std::int64_t kPeriodBlocks = 57;   // 18,240 frames, the least multiple of both
constexpr std::int64_t kDayBlocks = 24ll * 3600 * kRate / kBlock;

std::vector<std::uint16_t> g_rows;  // order << 8 | row after every tick

void LoggedUpdate(MUSIC_MODULE* module) {
  MUSIC_UpdateXM(module);
  g_rows.push_back(std::uint16_t(module->order << 8 | module->row));
}

TEST(LongPlay, ADayOfTheSongStaysExact) {
  AUDIO_File_SetCallbacks(memopen, memclose, memread, memseek, memtell);
  MUSIC_MODULE* module = MUSIC_LoadSong("song", nullptr);
  ASSERT_NE(module, nullptr);
  module->update = LoggedUpdate;
  g_rows.reserve(std::size_t(kDayBlocks * kBlock / kTick + 2));
  ASSERT_EQ(AUDIO_InitOffline(kRate), 1);
  ASSERT_EQ(AUDIO_BlockSize, kBlock);
  ASSERT_EQ(MUSIC_PlaySong(module), 1);
  ASSERT_EQ(module->mix_samples_per_tick, kTick);
  // The ring mixed ahead, as a device's start mixes it.
  do AUDIO_Software_Fill(); while (AUDIO_Software_FillBlock != 0);

  std::int32_t period_ms = 0;
  for (std::int64_t block = 1; block <= kDayBlocks; ++block) {
    const std::uint64_t device_bytes = std::uint64_t(block) * kBlock * 4;
    AUDIO_Software_Follow(device_bytes);
    ASSERT_EQ(AUDIO_Software_FillBlock, block % 100);
    if ((block + 1) % kPeriodBlocks != 0) continue;
    // The clock of the playing block: the same whole milliseconds for every period.
    const std::int32_t now = MUSIC_GetTime(module);
    if (block + 1 == kPeriodBlocks) period_ms = now;
    ASSERT_EQ(now, period_ms * ((block + 1) / kPeriodBlocks)) << "block " << block;
  }
  EXPECT_GT(std::uint64_t(kDayBlocks) * kBlock * 4, std::uint64_t(1) << 32);
  EXPECT_GT(MUSIC_GetTime(module), 81000000) << "a day of music, counted as the clock counts";
  // Every frame mixed is a frame of some tick: the ring ahead plus a day.
  EXPECT_EQ(std::int64_t(g_rows.size()), ((kDayBlocks + 100) * kBlock + kTick - 1) / kTick);

  // The song goes round from its restart order: every lap the same number of ticks and the
  // same rows in the same order.
  std::vector<std::size_t> laps;
  for (std::size_t t = 1; t < g_rows.size(); ++t)
    if ((g_rows[t] >> 8) < (g_rows[t - 1] >> 8)) laps.push_back(t);
  ASSERT_GT(laps.size(), 1000u);
  const std::size_t lap = laps[1] - laps[0];
  for (std::size_t k = 1; k < laps.size(); ++k) ASSERT_EQ(laps[k] - laps[k - 1], lap) << "lap " << k;
  for (std::size_t t = laps[0] + lap; t < g_rows.size(); ++t) ASSERT_EQ(g_rows[t], g_rows[t - lap]) << "tick " << t;

  MUSIC_FreeSong(module);
}

}  // namespace
