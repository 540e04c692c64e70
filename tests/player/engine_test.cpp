// The row and note engine: sequencing, triggers, periods, twin voices and the push to voices.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "byte_source.h"
#include "player/music.h"
#include "player/xm.h"
#include "sound/mixer.h"
#include "sound/output.h"
#include "sound/voice.h"
#include "xm_builder.h"

namespace {

using xmtest::Build;
using xmtest::Instrument;
using xmtest::Pattern;
using xmtest::Sample;
using xmtest::Song;

// A loaded song with the playback state a fresh play starts from, without the output device.
class EngineTest : public ::testing::Test {
 protected:
  void TearDown() override { MUSIC_FreeSong(module_); }

  MUSIC_MODULE* LoadAndReset(const Song& song) {
    bytes_ = Build(song);
    bytesource::Install(bytes_.data(), bytes_.size());
    module_ = MUSIC_LoadSong(bytes_.data(), nullptr);
    if (module_ == nullptr) return nullptr;
    AUDIO_MixRate = 44100;
    module_->global_volume = module_->default_global_volume;
    module_->speed = module_->default_speed;
    module_->row = module_->order = module_->tick = module_->pattern_delay = 0;
    module_->next_order = module_->next_row = -1;
    MUSIC_SetBPM(module_, module_->default_bpm);
    std::memset(AUDIO_Channel, 0, sizeof AUDIO_Channel);
    for (int v = 0; v < 256; ++v) AUDIO_Channel[v].slot = v;
    std::memset(MUSIC_Channel, 0, sizeof MUSIC_Channel);
    for (int c = 0; c < module_->channel_count; ++c) MUSIC_Channel[c].voice = &AUDIO_Channel[c];
    return module_;
  }

  std::vector<std::uint8_t> bytes_;
  MUSIC_MODULE* module_ = nullptr;
};

// A song of `rows`-row patterns on two channels, one instrument with one looping sample.
Song TwoChannelSong(std::uint16_t rows, std::vector<std::vector<MUSIC_NOTE>> patterns) {
  Song song;
  song.channels = 2;
  song.patterns.clear();
  for (const auto& cells : patterns) song.patterns.push_back(Pattern{rows, xmtest::Unpacked(cells)});
  Sample sample;
  sample.data.assign(64, 1);
  sample.type = 1;
  sample.loop_length = 64;
  sample.volume = 40;
  sample.pan = 200;
  Instrument ins;
  ins.samples.push_back(sample);
  song.instruments.push_back(ins);
  return song;
}

std::vector<MUSIC_NOTE> Cells(std::uint16_t rows, std::initializer_list<std::pair<int, MUSIC_NOTE>> set) {
  std::vector<MUSIC_NOTE> cells(static_cast<std::size_t>(rows) * 2, MUSIC_NOTE{0, 0, 0, 0, 0});
  for (const auto& p : set) cells[static_cast<std::size_t>(p.first)] = p.second;
  return cells;
}

TEST_F(EngineTest, RowsAdvanceEverySpeedTicksAndTheSongRestarts) {
  Song song = TwoChannelSong(2, {Cells(2, {}), Cells(2, {})});
  song.song_length = 3;
  song.orders = {0, 1, 0};
  song.restart = 1;
  song.speed = 3;
  ASSERT_NE(LoadAndReset(song), nullptr);
  std::vector<std::pair<int, int>> rows_started;  // (order, row) at each row's first tick
  for (int t = 0; t < 3 * 10; ++t) {
    bool first_tick = module_->tick == 0;
    MUSIC_UpdateXM(module_);
    if (first_tick) rows_started.push_back({module_->order, module_->row});
    EXPECT_EQ(module_->tick, (t + 1) % 3);
  }
  std::vector<std::pair<int, int>> expected = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0},
                                               {2, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}};
  EXPECT_EQ(rows_started, expected);
}

TEST_F(EngineTest, SpeedZeroMakesEveryTickARow) {
  Song song = TwoChannelSong(4, {Cells(4, {})});
  song.speed = 0;
  ASSERT_NE(LoadAndReset(song), nullptr);
  for (int t = 0; t < 4; ++t) {
    MUSIC_UpdateXM(module_);
    EXPECT_EQ(module_->row, t);
    EXPECT_EQ(module_->tick, 0);
  }
}

TEST_F(EngineTest, ABreakPastTheEndOfAShorterPatternPlaysItsFirstRow) {
  Song song = TwoChannelSong(4, {Cells(4, {}), Cells(4, {})});
  song.song_length = 2;
  song.orders = {0, 1};
  ASSERT_NE(LoadAndReset(song), nullptr);
  MUSIC_UpdateXM(module_);
  module_->tick = 0;
  module_->next_order = 1;
  module_->next_row = 40;
  MUSIC_UpdateXM(module_);
  EXPECT_EQ(module_->order, 1);
  EXPECT_EQ(module_->row, 0);
}

// Plays `ticks` ticks and lists (order, row) of every row started.
std::vector<std::pair<int, int>> RowsPlayed(MUSIC_MODULE* module, int ticks) {
  std::vector<std::pair<int, int>> rows;
  for (int t = 0; t < ticks; ++t) {
    bool first_tick = module->tick == 0;
    MUSIC_UpdateXM(module);
    if (first_tick) rows.push_back({module->order, module->row});
  }
  return rows;
}

TEST_F(EngineTest, PatternLoopSendsTheNextRowBackAndKeepsTheCurrentOne) {
  // E60 on row 1, E62 on row 2 of the same channel: rows 1 and 2 play three times, then row 3.
  Song song = TwoChannelSong(4, {Cells(4, {{2, {0, 0, 0, 14, 0x60}}, {4, {0, 0, 0, 14, 0x62}}})});
  song.speed = 2;
  ASSERT_NE(LoadAndReset(song), nullptr);
  std::vector<std::pair<int, int>> expected = {{0, 0}, {0, 1}, {0, 2}, {0, 1}, {0, 2},
                                               {0, 1}, {0, 2}, {0, 3}, {0, 0}};
  EXPECT_EQ(RowsPlayed(module_, 2 * 9), expected);
}

TEST_F(EngineTest, JumpAndBreakOnOneRowAreDecidedPerRow) {
  // Order 0 row 0: B02 in channel 0 and D01 in channel 1 go to order 2, row 1. Order 2 row 1:
  // only D03, so the jump of the earlier row no longer holds and play goes to order 3.
  std::vector<MUSIC_NOTE> jumping = Cells(4, {{0, {0, 0, 0, 11, 2}}, {1, {0, 0, 0, 13, 0x01}}});
  std::vector<MUSIC_NOTE> breaking = Cells(4, {{3, {0, 0, 0, 13, 0x03}}});
  Song song = TwoChannelSong(4, {jumping, Cells(4, {}), breaking});
  song.song_length = 4;
  song.orders = {0, 1, 2, 1};
  song.speed = 1;
  ASSERT_NE(LoadAndReset(song), nullptr);
  std::vector<std::pair<int, int>> expected = {{0, 0}, {2, 1}, {3, 3}, {0, 0}};
  EXPECT_EQ(RowsPlayed(module_, 4), expected);
}

TEST_F(EngineTest, NoteWithInstrumentTriggersAtTheSampleDefaults) {
  ASSERT_NE(LoadAndReset(TwoChannelSong(1, {Cells(1, {{1, {49, 1, 0, 0, 0}}})})), nullptr);
  MUSIC_UpdateXM(module_);
  const MUSIC_CHANNEL& ch = MUSIC_Channel[1];
  EXPECT_EQ(ch.volume, 40);
  EXPECT_EQ(ch.pan, 200);
  EXPECT_EQ(ch.volume_env_value, 64);
  EXPECT_EQ(ch.pan_env_value, 32);
  EXPECT_EQ(ch.fade_volume, 65536);
  EXPECT_EQ(ch.note, 48);
  EXPECT_EQ(ch.real_note, 48);
  EXPECT_EQ(ch.period, 4608);
  const AUDIO_Voice& v = AUDIO_Channel[1];
  EXPECT_EQ(v.sample, module_->instruments[0].samples[0]);
  EXPECT_EQ(v.position, 0u);
  EXPECT_EQ(v.direction, 1);
  EXPECT_EQ(v.frequency, 8363);
  // 64 x 40 x 65536 x 64 x 255 / 2^35 = 79.6875; pan 200 splits it 61 / 17.
  EXPECT_EQ(v.volume, 79);
  EXPECT_EQ(v.mix_pan, 200);
  EXPECT_EQ(v.left_volume, 79 * 200 / 255);
  EXPECT_EQ(v.right_volume, 79 * 55 / 255);
  EXPECT_EQ(AUDIO_Channel[0].sample, nullptr);  // the empty channel plays nothing
}

TEST_F(EngineTest, NoteWithoutInstrumentKeepsVolumeAndPanAndTriggersOnTheTwin) {
  Song song = TwoChannelSong(3, {Cells(3, {{0, {49, 1, 0, 0, 0}}, {2, {61, 0, 0, 0, 0}}, {4, {49, 1, 0, 0, 0}}})});
  song.speed = 1;
  ASSERT_NE(LoadAndReset(song), nullptr);
  MUSIC_UpdateXM(module_);
  MUSIC_CHANNEL& ch = MUSIC_Channel[0];
  ASSERT_EQ(ch.voice, &AUDIO_Channel[0]);
  ch.volume = 20;
  ch.pan = 30;
  AUDIO_Channel[0].position = 17;

  MUSIC_UpdateXM(module_);  // note 61, no instrument
  EXPECT_EQ(ch.volume, 20);
  EXPECT_EQ(ch.pan, 30);
  EXPECT_EQ(ch.period, 4608 - 12 * 64);
  ASSERT_EQ(ch.voice, &AUDIO_Channel[32]);
  EXPECT_EQ(AUDIO_Channel[32].slot, 32);
  EXPECT_EQ(AUDIO_Channel[32].position, 0u);
  EXPECT_EQ(AUDIO_Channel[32].frequency, 16726);
  // The old voice keeps its sample and place but has no volume left: the mixer ramps it out.
  const AUDIO_Voice& old_voice = AUDIO_Channel[0];
  EXPECT_NE(old_voice.sample, nullptr);
  EXPECT_EQ(old_voice.position, 17u);
  EXPECT_EQ(old_voice.volume, 0);
  EXPECT_EQ(old_voice.mix_volume, 0);
  EXPECT_EQ(old_voice.left_volume, 0);
  EXPECT_EQ(old_voice.right_volume, 0);

  MUSIC_UpdateXM(module_);  // the next trigger goes back to voice 0
  EXPECT_EQ(ch.voice, &AUDIO_Channel[0]);
  EXPECT_EQ(AUDIO_Channel[0].slot, 0);
  EXPECT_EQ(AUDIO_Channel[32].volume, 0);
  EXPECT_EQ(ch.volume, 40);
}

// The note left on the twin keeps its sample while the mixer fades it out and is let go once
// it is faded out; the channel's own voice keeps its sample even when it is silent.
TEST_F(EngineTest, TheTwinLeftBehindIsLetGoOnlyOnceFadedOut) {
  Song song = TwoChannelSong(5, {Cells(5, {{0, {49, 1, 0, 0, 0}}, {2, {61, 0, 0, 0, 0}}})});
  song.speed = 1;
  ASSERT_NE(LoadAndReset(song), nullptr);
  MUSIC_UpdateXM(module_);  // the first note, on voice 0, which the mixer ramps in
  AUDIO_Channel[0].ramp_level_left = AUDIO_Channel[0].ramp_level_right = 40 * 256;
  MUSIC_UpdateXM(module_);  // the second note moves to voice 32
  ASSERT_EQ(MUSIC_Channel[0].voice, &AUDIO_Channel[32]);
  MUSIC_UpdateXM(module_);
  EXPECT_NE(AUDIO_Channel[0].sample, nullptr) << "let go while its fade is still due";

  std::vector<float> frames(2 * 256, 0.0f);
  AUDIO_Mixer_FPU_Ramp_ASM(&AUDIO_Channel[0], frames.data(), 256, frames.data() + frames.size());
  EXPECT_NE(frames[2], 0.0f) << "the fade is heard";
  AUDIO_Channel[32].left_volume = AUDIO_Channel[32].right_volume = 0;
  MUSIC_UpdateXM(module_);
  EXPECT_EQ(AUDIO_Channel[0].sample, nullptr);
  EXPECT_NE(AUDIO_Channel[32].sample, nullptr);
}

TEST_F(EngineTest, InstrumentAloneResetsWithoutRetrigger) {
  Song song = TwoChannelSong(2, {Cells(2, {{0, {49, 1, 0, 0, 0}}, {2, {0, 1, 0, 0, 0}}})});
  song.speed = 1;
  ASSERT_NE(LoadAndReset(song), nullptr);
  MUSIC_UpdateXM(module_);
  MUSIC_CHANNEL& ch = MUSIC_Channel[0];
  ch.volume = 3;
  ch.pan = 4;
  ch.key_off = 1;
  ch.fade_volume = 100;
  AUDIO_Channel[0].position = 9;
  MUSIC_UpdateXM(module_);
  EXPECT_EQ(ch.volume, 40);
  EXPECT_EQ(ch.pan, 200);
  EXPECT_EQ(ch.key_off, 0);
  EXPECT_EQ(ch.fade_volume, 65536);
  EXPECT_EQ(ch.voice, &AUDIO_Channel[0]);
  EXPECT_EQ(AUDIO_Channel[0].position, 9u);
  EXPECT_EQ(AUDIO_Channel[0].volume, 79);
}

TEST_F(EngineTest, InstrumentBeyondTheSongPlaysTheDummySample) {
  ASSERT_NE(LoadAndReset(TwoChannelSong(1, {Cells(1, {{0, {49, 9, 0, 0, 0}}})})), nullptr);
  MUSIC_UpdateXM(module_);
  EXPECT_EQ(AUDIO_Channel[0].sample, &MUSIC_DummySample);
  EXPECT_EQ(MUSIC_Channel[0].volume, 0);
}

TEST(EnginePeriods, AmigaTable) {
  EXPECT_EQ(MUSIC_XM_GetAmigaPeriod(48, 0), 1712);
  EXPECT_EQ(MUSIC_XM_GetAmigaPeriod(48, 64), 1664);
  EXPECT_EQ(MUSIC_XM_GetAmigaPeriod(48, -64), 1762);
  EXPECT_EQ(MUSIC_XM_GetAmigaPeriod(60, 0), 856);
}

TEST_F(EngineTest, AmigaNoteAndFinetune) {
  Song song = TwoChannelSong(1, {Cells(1, {{0, {49, 1, 0, 0, 0}}})});
  song.flags = 0;
  song.instruments[0].samples[0].finetune = -64;
  song.instruments[0].samples[0].relative_note = 0;
  ASSERT_NE(LoadAndReset(song), nullptr);
  MUSIC_UpdateXM(module_);
  EXPECT_EQ(MUSIC_Channel[0].period, 1762);
  EXPECT_EQ(AUDIO_Channel[0].frequency, 14317056 / 1762);
}

TEST_F(EngineTest, LinearNoteWithRelativeNoteAndFinetune) {
  Song song = TwoChannelSong(1, {Cells(1, {{0, {49, 1, 0, 0, 0}}})});
  song.instruments[0].samples[0].finetune = -77;
  song.instruments[0].samples[0].relative_note = 12;
  ASSERT_NE(LoadAndReset(song), nullptr);
  MUSIC_UpdateXM(module_);
  EXPECT_EQ(MUSIC_Channel[0].real_note, 60);
  EXPECT_EQ(MUSIC_Channel[0].period, 7680 - 60 * 64 + 38);  // -77 / 2 truncates to -38
}

// Calls the push directly on one channel and voice.
struct PushFixture : public ::testing::Test {
  void SetUp() override {
    AUDIO_MixRate = 44100;
    std::memset(&module, 0, sizeof module);
    std::memset(&channel, 0, sizeof channel);
    std::memset(&AUDIO_Channel[5], 0, sizeof(AUDIO_Voice));
    module.global_volume = 64;
    channel.voice = &AUDIO_Channel[5];
    channel.volume_env_value = 64;
    channel.pan_env_value = 32;
    channel.fade_volume = 65536;
  }
  MUSIC_MODULE module;
  MUSIC_CHANNEL channel;
};

TEST_F(PushFixture, FrequenciesForBothTables) {
  module.song_flags = 1;
  channel.period = 4608;
  channel.update_flags = UPDATE_FREQUENCY;
  MUSIC_XM_UpdateFlags(&channel, &MUSIC_DummySample, &module);
  const AUDIO_Voice& v = AUDIO_Channel[5];
  EXPECT_EQ(v.frequency, 8363);
  EXPECT_EQ(v.step, 0u);
  EXPECT_EQ(v.step_fraction, static_cast<std::uint32_t>((8363ull << 32) / 44100));

  channel.period = 4608 - 768 * 3;  // three octaves up: 66904 Hz, more than one sample a frame
  MUSIC_XM_UpdateFlags(&channel, &MUSIC_DummySample, &module);
  EXPECT_EQ(v.frequency, 66904);
  EXPECT_EQ(v.step, 1u);
  EXPECT_EQ(v.step_fraction, static_cast<std::uint32_t>((((66904ull - 44100) << 32) + 1) / 44100));

  channel.period = 4600;
  channel.period_offset = 8;  // the offset raises the pitch with the linear table
  MUSIC_XM_UpdateFlags(&channel, &MUSIC_DummySample, &module);
  EXPECT_EQ(v.frequency, 8484);

  module.song_flags = 0;
  channel.period = 1712;
  channel.period_offset = 0;
  MUSIC_XM_UpdateFlags(&channel, &MUSIC_DummySample, &module);
  EXPECT_EQ(v.frequency, 8362);
  channel.period_offset = 8;  // and lowers it with the Amiga table
  MUSIC_XM_UpdateFlags(&channel, &MUSIC_DummySample, &module);
  EXPECT_EQ(v.frequency, 14317056 / 1720);
}

TEST_F(PushFixture, SlowFrequenciesAdvanceAtOneHundredHertz) {
  module.song_flags = 1;
  channel.period = 4608 + 768 * 7;  // 8363 / 128 = 65 Hz
  channel.update_flags = UPDATE_FREQUENCY;
  MUSIC_XM_UpdateFlags(&channel, &MUSIC_DummySample, &module);
  const AUDIO_Voice& v = AUDIO_Channel[5];
  EXPECT_EQ(v.frequency, 65);
  EXPECT_EQ(v.step, 0u);
  EXPECT_EQ(v.step_fraction, static_cast<std::uint32_t>((100ull << 32) / 44100));

  module.song_flags = 0;
  channel.period = -50;  // fine slides have no lower bound
  MUSIC_XM_UpdateFlags(&channel, &MUSIC_DummySample, &module);
  EXPECT_EQ(v.frequency, 14317056 / -50);
  EXPECT_EQ(v.step_fraction, static_cast<std::uint32_t>((100ull << 32) / 44100));
}

TEST_F(PushFixture, ZeroPeriodLeavesTheFrequencyAlone) {
  AUDIO_Channel[5].frequency = 1234;
  channel.period = 8;
  channel.period_offset = -8;
  channel.update_flags = UPDATE_FREQUENCY;
  MUSIC_XM_UpdateFlags(&channel, &MUSIC_DummySample, &module);
  EXPECT_EQ(AUDIO_Channel[5].frequency, 1234);
}

TEST_F(PushFixture, FarOutPeriodsSaturateInsteadOfOverflowing) {
  module.song_flags = 1;
  channel.period = -30000;
  channel.update_flags = UPDATE_FREQUENCY;
  MUSIC_XM_UpdateFlags(&channel, &MUSIC_DummySample, &module);
  EXPECT_EQ(AUDIO_Channel[5].frequency, 2147483647);
  // The mixer takes steps below 256 samples a frame: faster notes advance at the fastest one.
  const std::uint64_t fastest = 256ull * 44100 - 1;
  EXPECT_EQ(AUDIO_Channel[5].step, 255u);
  EXPECT_EQ(AUDIO_Channel[5].step_fraction, static_cast<std::uint32_t>((((fastest % 44100) << 32) + 255) / 44100));
  module.song_flags = 0;
  channel.period = 1;
  MUSIC_XM_UpdateFlags(&channel, &MUSIC_DummySample, &module);
  EXPECT_EQ(AUDIO_Channel[5].frequency, 14317056);
  EXPECT_EQ(AUDIO_Channel[5].step, 255u);
}

TEST_F(PushFixture, FullScaleVolumeAndCentrePan) {
  channel.volume = 64;
  channel.pan = 128;
  channel.update_flags = UPDATE_VOLUME | UPDATE_PAN;
  MUSIC_XM_UpdateFlags(&channel, &MUSIC_DummySample, &module);
  const AUDIO_Voice& v = AUDIO_Channel[5];
  EXPECT_EQ(v.volume, 127);
  EXPECT_EQ(v.mix_volume, 127);
  EXPECT_EQ(v.pan, 128);
  EXPECT_EQ(v.left_volume, 63);
  EXPECT_EQ(v.right_volume, 63);
}

TEST_F(PushFixture, PanEnvelopeMovesLessNearTheEdges) {
  channel.volume = 64;
  channel.update_flags = UPDATE_VOLUME | UPDATE_PAN;
  channel.pan = 120;  // room (128 - 8) / 32 = 3
  channel.pan_env_value = 64;
  MUSIC_XM_UpdateFlags(&channel, &MUSIC_DummySample, &module);
  EXPECT_EQ(AUDIO_Channel[5].pan, 120 + 32 * 3);
  channel.pan = 128;  // at the centre the envelope reaches the edge
  MUSIC_XM_UpdateFlags(&channel, &MUSIC_DummySample, &module);
  EXPECT_EQ(AUDIO_Channel[5].pan, 255);
  channel.pan = 250;  // room (128 - 122) / 32 = 0
  MUSIC_XM_UpdateFlags(&channel, &MUSIC_DummySample, &module);
  EXPECT_EQ(AUDIO_Channel[5].pan, 250);
  channel.pan = 20;
  channel.pan_env_value = 0;  // room (128 - 108) / 32 = 0
  MUSIC_XM_UpdateFlags(&channel, &MUSIC_DummySample, &module);
  EXPECT_EQ(AUDIO_Channel[5].pan, 20);
  channel.pan = 60;  // 60 - 32 x 1 = 28
  MUSIC_XM_UpdateFlags(&channel, &MUSIC_DummySample, &module);
  EXPECT_EQ(AUDIO_Channel[5].pan, 28);
  channel.pan = 300;  // unclamped slides: the push clamps
  channel.pan_env_value = 32;
  MUSIC_XM_UpdateFlags(&channel, &MUSIC_DummySample, &module);
  EXPECT_EQ(AUDIO_Channel[5].pan, 255);
}

TEST_F(PushFixture, TriggerStartsAtTheVoiceOffsetUnlessPastTheEnd) {
  MUSIC_SAMPLE sample = {};
  sample.length = 100;
  sample.loop_length = 100;
  AUDIO_Voice& v = AUDIO_Channel[5];
  v.start_offset = 40;
  v.ramp_level_left = 500;
  v.position_fraction = 77;
  channel.update_flags = UPDATE_TRIGGER;
  MUSIC_XM_UpdateFlags(&channel, &sample, &module);
  EXPECT_EQ(v.sample, &sample);
  EXPECT_EQ(v.position, 40u);
  EXPECT_EQ(v.position_fraction, 0u);
  EXPECT_EQ(v.start_offset, 0u);
  EXPECT_EQ(v.ramp_level_left, 0);

  AUDIO_Voice& twin = AUDIO_Channel[37];
  std::memset(&twin, 0, sizeof twin);
  twin.start_offset = 100;  // not below loop end: starts at 0
  twin.sample = nullptr;
  channel.voice = &twin;
  MUSIC_XM_UpdateFlags(&channel, &sample, &module);
  EXPECT_EQ(twin.position, 0u);

  channel.update_flags = UPDATE_REWIND;
  twin.position = 55;
  twin.start_offset = 12;
  MUSIC_XM_UpdateFlags(&channel, &sample, &module);
  EXPECT_EQ(twin.position, 0u);
  EXPECT_EQ(twin.start_offset, 0u);
}

}  // namespace
