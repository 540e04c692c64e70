// Block geometry, tempo, the block mixer's tick placement, the feeder's poll, and the start
// and stop of streaming (on SDL's dummy audio device where a device is needed).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/platform.h"
#include "player/music.h"
#include "player/music_control.h"
#include "player/xm.h"
#include "sound/file_access.h"
#include "sound/memsource.h"
#include "sound/mixer.h"
#include "sound/output.h"
#include "sound/test_song.h"

namespace {

constexpr std::uint32_t kBlockBytes44k = 884 * 4;

class Offline : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(AUDIO_InitOffline(44100), 1);
    testsong::ResetCounters();
  }
  void TearDown() override { MUSIC_StopSong(&song_.module); }
  testsong::Song song_;
};

TEST(Geometry, BlocksAndRingFollowTheRate) {
  struct Case {
    std::int32_t rate, block, ring, ramp;
  };
  for (const Case& c : {Case{44100, 884, 88400, 128}, Case{22050, 444, 44400, 64}, Case{48000, 960, 96000, 139}}) {
    ASSERT_EQ(AUDIO_InitOffline(c.rate), 1);
    EXPECT_EQ(AUDIO_BlockSize, c.block) << c.rate;
    EXPECT_EQ(AUDIO_BufferSize, c.ring) << c.rate;
    EXPECT_EQ(AUDIO_BufferSize / AUDIO_BlockSize, 100) << c.rate;
    EXPECT_EQ(mix_volumerampsteps, c.ramp) << c.rate;
    EXPECT_EQ(AUDIO_OOMixRate, 1.0f / float(c.rate));
  }
  ASSERT_EQ(AUDIO_InitOffline(44100), 1);
  EXPECT_FLOAT_EQ(AUDIO_OOMixRate, 2.2675737e-5f);
  EXPECT_LT(double(AUDIO_OOMixRate), 1.0 / 44100.0);
  EXPECT_EQ(AUDIO_InitOffline(49), 0) << "a rate whose block would be empty is refused";
  EXPECT_EQ(AUDIO_OutputOpen(), 1) << "and leaves the output as it was";
}

TEST(Geometry, VoicesAreResetWithSlotAndStep) {
  AUDIO_Channel[17].volume = 99;
  AUDIO_Channel[200].step = 0;
  ASSERT_EQ(AUDIO_InitOffline(44100), 1);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(AUDIO_Channel[i].slot, i);
    ASSERT_EQ(AUDIO_Channel[i].step, 1u);
  }
  EXPECT_EQ(AUDIO_Channel[17].volume, 0);
}

TEST(Tempo, TickLengthFollowsBpmAndRate) {
  MUSIC_MODULE module{};
  ASSERT_EQ(AUDIO_InitOffline(44100), 1);
  const std::int32_t bpms[] = {32, 125, 140, 255};
  const std::int32_t ticks[] = {3445, 882, 787, 432};
  for (int i = 0; i < 4; ++i) {
    MUSIC_SetBPM(&module, bpms[i]);
    EXPECT_EQ(module.bpm, bpms[i]);
    EXPECT_EQ(module.mix_samples_per_tick, ticks[i]) << bpms[i];
  }
  ASSERT_EQ(AUDIO_InitOffline(22050), 1);
  MUSIC_SetBPM(&module, 125);
  EXPECT_EQ(module.mix_samples_per_tick, 441);
  MUSIC_SetBPM(&module, 0);
  EXPECT_EQ(module.bpm, 0);
  EXPECT_GT(module.mix_samples_per_tick, 0) << "a tempo of 0 still gives a finite tick";
  MUSIC_SetBPM(nullptr, 125);
}

TEST(SongControl, NothingStartsWithoutAnOutput) {
  AUDIO_Close();
  testsong::Song song;
  testsong::Make(&song, 140);
  testsong::ResetCounters();
  EXPECT_EQ(MUSIC_PlaySong(&song.module), 0);
  EXPECT_EQ(testsong::g_updates, 0);
  EXPECT_EQ(MUSIC_PlayingSong, nullptr);
  EXPECT_EQ(MUSIC_TimeInfo, nullptr);
  EXPECT_EQ(AUDIO_MixBlock.data, nullptr);
  EXPECT_EQ(MUSIC_GetTime(&song.module), 0);
  EXPECT_EQ(MUSIC_PlaySong(nullptr), 0);
  EXPECT_EQ(MUSIC_StopSong(nullptr), 0);
}

TEST_F(Offline, StartResetsTheSongAndItsChannels) {
  testsong::Make(&song_, 140);
  song_.module.row = 9;
  song_.module.order = 3;
  song_.module.tick = 2;
  song_.module.time_ms = 5000;
  song_.module.mix_samples_left = 77;
  song_.module.channel_count = 40;  // more than the table holds: only 32 are touched
  MUSIC_Channel[1].volume = 33;
  MUSIC_Channel[1].voice = nullptr;
  ASSERT_EQ(MUSIC_PlaySong(&song_.module), 1);
  EXPECT_EQ(song_.module.row, 0);
  EXPECT_EQ(song_.module.order, 0);
  EXPECT_EQ(song_.module.tick, 0);
  EXPECT_EQ(song_.module.time_ms, 0);
  EXPECT_EQ(song_.module.mix_samples_left, 0);
  EXPECT_EQ(song_.module.next_row, -1);
  EXPECT_EQ(song_.module.next_order, -1);
  EXPECT_EQ(song_.module.speed, 3);
  EXPECT_EQ(song_.module.global_volume, 64);
  EXPECT_EQ(song_.module.mix_samples_per_tick, 787);
  EXPECT_EQ(MUSIC_Channel[1].volume, 0);
  EXPECT_EQ(MUSIC_Channel[1].voice, &AUDIO_Channel[1]);
  EXPECT_EQ(MUSIC_Channel[31].voice, &AUDIO_Channel[31]);
  EXPECT_EQ(MUSIC_PlayingSong, &song_.module);
  EXPECT_EQ(MUSIC_TimeInfoCount, 100);
  EXPECT_EQ(AUDIO_MixBlock.bytes, 353600u);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(AUDIO_MixBuffer) % 16, 0u);
  EXPECT_EQ(testsong::g_updates, 0) << "offline, nothing is mixed ahead";

  EXPECT_EQ(MUSIC_StopSong(&song_.module), 1);
  EXPECT_EQ(MUSIC_PlayingSong, nullptr);
  EXPECT_EQ(MUSIC_TimeInfo, nullptr);
  EXPECT_EQ(AUDIO_MixBlock.data, nullptr);
  EXPECT_EQ(AUDIO_MixBufferMem, nullptr);
  EXPECT_EQ(MUSIC_GetTime(&song_.module), 0);
}

TEST_F(Offline, FirstBlockIsMixedAsOneTickAndPartOfTheNext) {
  testsong::Make(&song_, 140);
  ASSERT_EQ(MUSIC_PlaySong(&song_.module), 1);
  MUSIC_TIMEINFO info{};
  const std::int16_t* frames = AUDIO_Offline_FillNext(&info);
  ASSERT_NE(frames, nullptr);
  EXPECT_EQ(frames, AUDIO_MixBlock.data);
  // 787 frames (17 ms) and 97 frames (2 ms): the dropped fractions make 19, not 20.
  EXPECT_EQ(info.time_ms, 19);
  EXPECT_EQ(testsong::g_updates, 2);
  EXPECT_EQ(song_.module.mix_samples_left, 787 - 97);
  EXPECT_EQ(MUSIC_GetTime(&song_.module), 19);
  EXPECT_EQ(MUSIC_GetTime(nullptr), 0);
  EXPECT_EQ(MUSIC_GetRow(nullptr), 0);
  EXPECT_EQ(MUSIC_GetOrder(nullptr), 0);
  EXPECT_EQ(AUDIO_Software_FillBlock, 1);
  // The block holds the mix: the first note ramps in from exactly 0.
  EXPECT_EQ(frames[0], 0);
  EXPECT_NE(frames[2 * 100], 0);
}

TEST_F(Offline, TickEndingOnABlockEndStartsTheNextBlock) {
  testsong::Make(&song_, 249);  // 442-frame ticks: two per block exactly
  ASSERT_EQ(MUSIC_PlaySong(&song_.module), 1);
  ASSERT_EQ(song_.module.mix_samples_per_tick, 442);
  for (int i = 0; i < 3; ++i) ASSERT_NE(AUDIO_Offline_FillNext(nullptr), nullptr);
  EXPECT_EQ(testsong::g_update_blocks, (std::vector<int>{0, 0, 1, 1, 2, 2}));
  EXPECT_EQ(song_.module.mix_samples_left, 0);
}

TEST_F(Offline, MusicClockRunsSlowerThanTheAudio) {
  testsong::Make(&song_, 140);
  ASSERT_EQ(MUSIC_PlaySong(&song_.module), 1);
  MUSIC_TIMEINFO info{};
  std::int32_t previous = 0;
  for (int block = 0; block < 3500; ++block) {
    ASSERT_NE(AUDIO_Offline_FillNext(&info), nullptr);
    const std::int32_t step = info.time_ms - previous;
    ASSERT_TRUE(step == 18 || step == 19 || step == 20) << "block " << block << " step " << step;
    previous = info.time_ms;
  }
  // 3,094,000 frames (70.16 s of audio) read as about 66.3 s of clock.
  EXPECT_GT(info.time_ms, 66200);
  EXPECT_LT(info.time_ms, 66400);
  EXPECT_EQ(info.order, std::uint8_t(song_.module.order));
  EXPECT_EQ(info.row, song_.module.row);
  EXPECT_EQ(MUSIC_GetOrder(&song_.module), info.order);
  EXPECT_EQ(MUSIC_GetRow(&song_.module), info.row);
}

TEST_F(Offline, OnePollRefillsEveryBlockTheDeviceHasLeft) {
  testsong::Make(&song_, 140);
  ASSERT_EQ(MUSIC_PlaySong(&song_.module), 1);
  AUDIO_Software_FillBlock = 30;
  AUDIO_Software_RealBlock = 30;
  // The device is in block 37 of a lap far beyond 2^32 bytes; a 32-bit count would say 96.
  const std::uint64_t device_bytes = 13000ull * 353600 + 37ull * kBlockBytes44k + 100;
  testsong::ResetCounters();
  AUDIO_Software_Poll(device_bytes);
  EXPECT_EQ(AUDIO_Software_FillBlock, 37);
  // While a block is being mixed the queries already report the next one, never the block
  // whose entry is being rewritten.
  ASSERT_FALSE(testsong::g_update_blocks.empty());
  for (std::size_t i = 0; i < testsong::g_update_blocks.size(); ++i) {
    EXPECT_EQ(testsong::g_update_real_blocks[i], testsong::g_update_blocks[i] + 1) << "tick " << i;
  }
  EXPECT_EQ(testsong::g_update_blocks.front(), 30);
  EXPECT_EQ(testsong::g_update_blocks.back(), 36);
  EXPECT_EQ(AUDIO_Software_RealBlock.load(), 37);
  for (int block = 0; block < 100; ++block) {
    const MUSIC_TIMEINFO entry = MUSIC_ReadTimeInfo(block);
    if (block >= 30 && block < 37) {
      EXPECT_GT(entry.time_ms, block == 30 ? 0 : MUSIC_ReadTimeInfo(block - 1).time_ms) << block;
    } else {
      EXPECT_EQ(entry.time_ms, 0) << "block " << block << " must not be touched";
    }
  }
  const int updates = testsong::g_updates;
  AUDIO_Software_Poll(device_bytes + 2000);  // still inside block 37
  EXPECT_EQ(testsong::g_updates, updates);
  EXPECT_EQ(AUDIO_Software_FillBlock, 37);
  AUDIO_Software_Poll(0);  // the device wrapped to block 0: 37 ... 99 are refilled
  EXPECT_EQ(AUDIO_Software_FillBlock, 0);
  EXPECT_EQ(AUDIO_Software_RealBlock.load(), 0);
  EXPECT_EQ(AUDIO_Software_UpdateMutex.load(), 0);
}

class Device : public ::testing::Test {
 protected:
  void SetUp() override {
    AUDIO_File_SetCallbacks(memopen, memclose, memread, memseek, memtell);
    if (AUDIO_Init(44100) != 1) GTEST_SKIP() << "no audio device";
    testsong::Make(&song_, 140);
    testsong::ResetCounters();
  }
  void TearDown() override {
    MUSIC_StopSong(&song_.module);
    AUDIO_Close();
  }
  testsong::Song song_;
};

TEST_F(Device, StartMixesTheWholeRingAheadAndStopEndsTheFeeder) {
  ASSERT_EQ(MUSIC_PlaySong(&song_.module), 1);
  EXPECT_EQ(AUDIO_Software_ThreadFinished.load(), 0);
  // The last block of the ring is not refilled before the device has played two seconds.
  EXPECT_GT(MUSIC_ReadTimeInfo(99).time_ms, MUSIC_ReadTimeInfo(98).time_ms);
  EXPECT_GT(MUSIC_ReadTimeInfo(98).time_ms, 1800);
  const std::int32_t now = MUSIC_GetTime(&song_.module);
  EXPECT_GE(now, 19);
  EXPECT_EQ(MUSIC_GetTime(nullptr), 0);

  EXPECT_EQ(MUSIC_StopSong(&song_.module), 1);
  EXPECT_EQ(AUDIO_Software_ThreadFinished.load(), 1);
  EXPECT_EQ(AUDIO_Software_UpdateMutex.load(), 0);
  EXPECT_EQ(MUSIC_PlayingSong, nullptr);
  EXPECT_EQ(AUDIO_MixBlock.data, nullptr);
  EXPECT_EQ(AUDIO_MixBufferMem, nullptr);
  EXPECT_EQ(MUSIC_GetTime(&song_.module), 0);
  // 100 blocks of 884 frames = 88,400 frames at 787 per tick: 113 ticks before the device ran.
  const int updates = testsong::g_updates;
  EXPECT_GE(updates, 113);
  platform::SleepMs(30);
  EXPECT_EQ(testsong::g_updates, updates) << "nothing mixes after the stop";
}

TEST_F(Device, StopRightAfterStartWaitsForTheFeeder) {
  for (int round = 0; round < 20; ++round) {
    AUDIO_Software_RealBlock = 60;  // where an earlier song's device might have been
    ASSERT_EQ(MUSIC_PlaySong(&song_.module), 1) << round;
    EXPECT_LT(AUDIO_Software_RealBlock.load(), 50) << "a new start reports from its own first block";
    ASSERT_EQ(MUSIC_StopSong(&song_.module), 1);
    ASSERT_EQ(AUDIO_Software_ThreadFinished.load(), 1) << round;
    const int updates = testsong::g_updates;
    platform::SleepMs(2);
    ASSERT_EQ(testsong::g_updates, updates) << round;
  }
}

TEST_F(Device, ReinitialisingStopsThePlayingSong) {
  ASSERT_EQ(MUSIC_PlaySong(&song_.module), 1);
  ASSERT_EQ(AUDIO_Init(22050), 1);
  EXPECT_EQ(MUSIC_PlayingSong, nullptr);
  EXPECT_EQ(AUDIO_Software_ThreadFinished.load(), 1);
  EXPECT_EQ(AUDIO_BlockSize, 444);
}

}  // namespace
