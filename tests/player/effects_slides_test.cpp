// Per-tick traces of the slides, memories and oscillators, written from the effect rules.
#include <gtest/gtest.h>

#include "effects_song.h"
#include "player/xm_effects_shared.h"

namespace {

using effects_test::Song;
using V = std::vector<std::int32_t>;

constexpr std::uint8_t kC4 = 49;  // linear period 4608, 8363 Hz

TEST(EffectsVolumeSlide, EffectSlidesOnLaterTicksColumnOnEveryTick) {
  Song song(2, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0xA, 0x20);
  song.Put(0, 0, 1, kC4, 1, 0x72, 0, 0);
  song.Start(6);
  V effect, column;
  for (int i = 0; i < 6; ++i) {
    effect.push_back(song.Tick(0).volume);
    column.push_back(song.State(1).volume);
  }
  EXPECT_EQ(effect, (V{32, 34, 36, 38, 40, 42}));  // +2 on ticks 1..5: 10 per row
  EXPECT_EQ(column, (V{34, 36, 38, 40, 42, 44}));  // +2 on all six ticks: 12 per row
}

TEST(EffectsVolumeSlide, FiveSixAndAShareOneMemory) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0xA, 0x20);
  song.Put(0, 1, 0, 0, 0, 0, 0xA, 0x00);  // repeats +2
  song.Put(0, 2, 0, 0, 0, 0, 0x6, 0x00);  // vibrato + the same slide
  song.Put(0, 3, 0, 0, 0, 0, 0x5, 0x00);  // tone portamento + the same slide
  song.Put(0, 4, 0, 0, 0, 0, 0x5, 0x03);  // a new memory, down 3
  song.Put(0, 5, 0, 0, 0, 0, 0xA, 0x00);  // A takes it up
  song.Start(3);
  const V volumes = effects_test::Volumes(song.Ticks(18));
  EXPECT_EQ(volumes, (V{32, 34, 36, 36, 38, 40, 40, 42, 44, 44, 46, 48, 48, 45, 42, 42, 39, 36}));
}

TEST(EffectsVolumeSlide, SlidesClampButSetVolumeDoesNot) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0x50, 0xA, 0xF0);  // 64, up stays at 64
  song.Put(0, 1, 0, 0, 0, 0, 0xC, 0x50);       // set volume 80: not clamped
  song.Put(0, 2, 0, 0, 0, 0x88, 0xA, 0x0F);    // fine down 8 on tick 0 only, then down 15
  song.Start(3);
  const V volumes = effects_test::Volumes(song.Ticks(9));
  EXPECT_EQ(volumes, (V{64, 64, 64, 80, 80, 80, 72, 57, 42}));
}

TEST(EffectsVolumeSlide, FineSlidesShareTheirMemoryAndActOnTickZero) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0xE, 0xA3);  // +3
  song.Put(0, 1, 0, 0, 0, 0, 0xE, 0xB0);    // -3 from the shared memory
  song.Put(0, 2, 0, 0, 0, 0, 0xE, 0xA0);    // +3
  song.Put(0, 3, 0, 0, 0, 0x9F, 0, 0);      // column fine up 15
  song.Put(0, 4, 0, 0, 0, 0x8F, 0, 0);      // column fine down 15
  song.Start(2);
  const V volumes = effects_test::Volumes(song.Ticks(10));
  EXPECT_EQ(volumes, (V{35, 35, 32, 32, 35, 35, 50, 50, 35, 35}));
}

TEST(EffectsPortamento, UpClampsAtFiftySixOnTheAmigaTable) {
  Song song(1, 1, 64, false);
  song.Sample().relative_note = 2;  // note 96 plays real note 97: Amiga period 100
  song.Put(0, 0, 0, 96, 1, 0, 0x1, 0x10);
  song.Start(6);
  const V periods = effects_test::Periods(song.Ticks(6));
  EXPECT_EQ(periods, (V{100, 56, 56, 56, 56, 56}));
}

TEST(EffectsPortamento, UpAndDownUseTheirOwnMemoriesAndDownHasNoBound) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0x1, 0x04);  // -16 per later tick
  song.Put(0, 1, 0, 0, 0, 0, 0x2, 0x40);    // +256 per later tick
  song.Put(0, 2, 0, 0, 0, 0, 0x1, 0x00);    // -16 again
  song.Put(0, 3, 0, 0, 0, 0, 0x2, 0x00);    // +256 again
  song.Start(3);
  const V periods = effects_test::Periods(song.Ticks(12));
  EXPECT_EQ(periods, (V{4608, 4592, 4576, 4576, 4832, 5088, 5088, 5072, 5056, 5056, 5312, 5568}));

  Song deep(1, 1);
  deep.Put(0, 0, 0, 1, 1, 0, 0x2, 0xFF);  // the lowest note, sliding further down
  deep.Start(31);
  const V low = effects_test::Periods(deep.Ticks(31));
  EXPECT_EQ(low.back(), 7680 + 30 * 1020);
}

TEST(EffectsPortamento, FineAndExtraFineSlidesKeepSeparateMemories) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0xE, 0x12);  // -8
  song.Put(0, 1, 0, 0, 0, 0, 0xE, 0x10);    // -8 again
  song.Put(0, 2, 0, 0, 0, 0, 0xE, 0x21);    // +4
  song.Put(0, 3, 0, 0, 0, 0, 0xE, 0x20);    // +4 again
  song.Put(0, 4, 0, 0, 0, 0, 33, 0x13);     // X: -3
  song.Put(0, 5, 0, 0, 0, 0, 33, 0x10);     // -3 again
  song.Put(0, 6, 0, 0, 0, 0, 33, 0x21);     // +1
  song.Put(0, 7, 0, 0, 0, 0, 33, 0x20);     // +1 again
  song.Put(0, 8, 0, 0, 0, 0, 33, 0x35);     // other x: nothing
  song.Start(1);
  const V periods = effects_test::Periods(song.Ticks(9));
  EXPECT_EQ(periods, (V{4600, 4592, 4596, 4600, 4597, 4594, 4595, 4596, 4596}));
}

TEST(EffectsPortamento, TonePortamentoSlidesToTheNoteWithoutRetrigger) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0, 0);
  song.Put(0, 1, 0, kC4 + 2, 1, 0, 0x3, 0x10);  // toward 4480, 64 per tick
  song.Put(0, 2, 0, 0, 0, 0, 0x3, 0x00);
  song.Start(3);
  const auto trace = song.Ticks(9);
  EXPECT_EQ(effects_test::Periods(trace), (V{4608, 4608, 4608, 4608, 4544, 4480, 4480, 4480, 4480}));
  for (const auto& state : trace) EXPECT_EQ(state.voice, 0) << state.Line();
  EXPECT_EQ(MUSIC_Channel[0].note, kC4 - 1);  // the portamento cell does not change the note
  EXPECT_EQ(MUSIC_Channel[0].note_period, 4480);
}

TEST(EffectsPortamento, VolumeColumnTonePortamento) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0, 0);
  song.Put(0, 1, 0, 0, 0, 0, 0x2, 0x08);     // down to 4608 + 2 * 32
  song.Put(0, 2, 0, 0, 0, 0xF1, 0, 0);       // back toward the last note, 64 per tick
  song.Put(0, 3, 0, kC4 + 4, 0, 0xF1, 0, 0);  // with a note: the pitch jumps, no trigger
  song.Start(3);
  const auto trace = song.Ticks(12);
  EXPECT_EQ(effects_test::Periods(trace),
            (V{4608, 4608, 4608, 4608, 4640, 4672, 4672, 4608, 4608, 4352, 4352, 4352}));
  for (const auto& state : trace) EXPECT_EQ(state.voice, 0) << state.Line();
}

TEST(EffectsArpeggio, SemitonesByTickModThree) {
  Song song(2, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0x0, 0x37);
  song.Put(0, 0, 1, kC4, 1, 0, 0x0, 0x00);
  song.Start(6);
  V offsets, plain;
  for (int i = 0; i < 6; ++i) {
    offsets.push_back(song.Tick(0).period_offset);
    plain.push_back(song.State(1).period_offset);
  }
  EXPECT_EQ(offsets, (V{0, 3 * 64, 7 * 64, 0, 3 * 64, 7 * 64}));
  EXPECT_EQ(plain, (V{0, 0, 0, 0, 0, 0}));
}

TEST(EffectsArpeggio, AmigaOffsetsAreTableDifferences) {
  Song song(1, 1, 64, false);
  song.Put(0, 0, 0, kC4, 1, 0, 0x0, 0x37);
  song.Start(3);
  const V offsets = effects_test::PeriodOffsets(song.Ticks(3));
  const std::int32_t base = MUSIC_XM_GetAmigaPeriod(48, 0);
  EXPECT_EQ(base, 1712);
  EXPECT_EQ(offsets, (V{0, MUSIC_XM_GetAmigaPeriod(51, 0) - base, MUSIC_XM_GetAmigaPeriod(55, 0) - base}));
  EXPECT_LT(offsets[1], 0);  // higher notes have smaller Amiga periods
}

TEST(EffectsVibrato, SineStepsAndPhaseAcrossRows) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0x4, 0x48);
  song.Put(0, 1, 0, 0, 0, 0, 0x4, 0x00);
  song.Start(6);
  const V offsets = effects_test::PeriodOffsets(song.Ticks(12));
  EXPECT_EQ(offsets, (V{0, 0, -24, -44, -56, -60, -56, -56, -44, -24, 0, 24}));
}

TEST(EffectsVibrato, RampAndSquareWaveforms) {
  MUSIC_CHANNEL channel{};
  channel.vib_depth = 15;
  channel.wave_control = 1;  // ramp
  channel.vib_position = 5;
  MUSIC_XM_Vibrato(&channel);
  EXPECT_EQ(channel.period_offset, -((40 * 15) >> 7) * 4);
  channel.vib_position = -5;  // low five bits 27: 216, mirrored to 39
  MUSIC_XM_Vibrato(&channel);
  EXPECT_EQ(channel.period_offset, ((39 * 15) >> 7) * 4);
  channel.wave_control = 2;
  MUSIC_XM_Vibrato(&channel);
  EXPECT_EQ(channel.period_offset, ((255 * 15) >> 7) * 4);
  channel.wave_control = 3;
  channel.vib_position = 0;
  MUSIC_XM_Vibrato(&channel);
  EXPECT_EQ(channel.period_offset, -((255 * 15) >> 7) * 4);
  EXPECT_EQ(channel.update_flags & UPDATE_FREQUENCY, UPDATE_FREQUENCY);
}

TEST(EffectsVibrato, VolumeColumnVibratoRunsOnLaterTicksOnly) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0xA4, 0, 0);  // speed 4
  song.Put(0, 1, 0, 0, 0, 0xB8, 0, 0);    // depth 8
  song.Start(6);
  const V offsets = effects_test::PeriodOffsets(song.Ticks(12));
  EXPECT_EQ(offsets, (V{0, 0, 0, 0, 0, 0, 0, 0, -24, -44, -56, -60}));
}

TEST(EffectsTremolo, DeviationStaysInTheVolumeAfterTheLastTremoloRow) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0x7, 0x48);
  song.Start(5);
  const auto trace = song.Ticks(6);
  EXPECT_EQ(effects_test::EffectiveVolumes(trace), (V{32, 32, 44, 54, 61, 61}));
  EXPECT_EQ(trace[5].volume, 61);  // the next row has no tremolo: +29 kept
  EXPECT_EQ(trace[5].volume_offset, 0);
}

TEST(EffectsTremolo, KeepsTheVolumeInsideTheRangeAndWaveforms) {
  MUSIC_CHANNEL channel{};
  channel.volume = 60;
  channel.trem_depth = 15;
  channel.wave_control = 0x20;  // square
  channel.trem_position = 3;
  channel.trem_speed = 10;
  MUSIC_XM_Tremolo(&channel);
  EXPECT_EQ(channel.volume_offset, 4);  // (255 * 15) >> 6 = 59, cut at 64
  EXPECT_EQ(channel.trem_position, 13);
  channel.trem_position = -3;
  MUSIC_XM_Tremolo(&channel);
  EXPECT_EQ(channel.volume_offset, -59);
  channel.volume = 10;
  channel.trem_position = -3;
  MUSIC_XM_Tremolo(&channel);
  EXPECT_EQ(channel.volume_offset, -10);  // not below 0
  channel.wave_control = 0x10;  // ramp: low five bits of 29 are 29 -> 232, mirrored 23
  channel.volume = 32;
  channel.trem_position = 29;
  channel.trem_speed = 5;
  MUSIC_XM_Tremolo(&channel);
  EXPECT_EQ(channel.volume_offset, 32);  // (232 * 15) >> 6 = 54, cut at 64 - 32
  EXPECT_EQ(channel.trem_position, -30);  // 34 wraps to -30
}

TEST(EffectsTremor, FourTicksOnTwoOffAcrossRows) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 29, 0x31);
  song.Put(0, 1, 0, 0, 0, 0, 29, 0x00);
  song.Put(0, 2, 0, 0, 0, 0, 29, 0x00);
  song.Start(4);
  const V volumes = effects_test::EffectiveVolumes(song.Ticks(12));
  EXPECT_EQ(volumes, (V{32, 32, 32, 32, 0, 0, 32, 32, 32, 32, 0, 0}));
}

TEST(EffectsRetrig, MultiRetrigChangesVolumeAndTriggersEveryInterval) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 27, 0x12);  // -1 every 2 ticks
  song.Start(6);
  const auto trace = song.Ticks(6);
  EXPECT_EQ(effects_test::Volumes(trace), (V{32, 32, 31, 31, 30, 30}));
  V voices;
  for (const auto& state : trace) voices.push_back(state.voice);
  EXPECT_EQ(voices, (V{0, 0, 32, 32, 0, 0}));

  Song up(1, 1);
  up.Put(0, 0, 0, kC4, 1, 0x38, 27, 0xF1);  // x2 every tick, clamped at 64
  up.Start(3);
  EXPECT_EQ(effects_test::Volumes(up.Ticks(3)), (V{40, 64, 64}));
}

TEST(EffectsRetrig, VolumeCodes) {
  const V expected{40, 39, 38, 36, 32, 24, 26, 20, 40, 41, 42, 44, 48, 56, 60, 80};
  for (std::uint8_t code = 0; code < 16; ++code) {
    EXPECT_EQ(MUSIC_XM_RetrigVolume(40, code), expected[code]) << "code " << int(code);
  }
  EXPECT_EQ(MUSIC_XM_RetrigVolume(-7, 7), -4);  // arithmetic shift
  EXPECT_EQ(MUSIC_XM_RetrigVolume(-7, 6), -4);  // truncated toward zero
}

TEST(EffectsRetrig, RetriggerE9EveryYTicks) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0xE, 0x92);
  song.Start(6);
  V voices;
  for (const auto& state : song.Ticks(6)) voices.push_back(state.voice);
  EXPECT_EQ(voices, (V{0, 0, 32, 32, 0, 0}));
}

TEST(EffectsPanning, SetAndSlidePanning) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0x8, 0xF8);  // 248
  song.Put(0, 1, 0, 0, 0, 0, 25, 0x40);     // right by 4, at most 255
  song.Put(0, 2, 0, 0, 0, 0xC1, 0, 0);      // 16
  song.Put(0, 3, 0, 0, 0, 0, 25, 0x07);     // left by 7, at least 0
  song.Put(0, 4, 0, 0, 0, 0, 0xE, 0x8F);    // coarse: 240
  song.Start(3);
  V pans;
  for (const auto& state : song.Ticks(15)) pans.push_back(state.pan);
  EXPECT_EQ(pans, (V{248, 248, 248, 248, 252, 255, 16, 16, 16, 16, 9, 2, 240, 240, 240}));
}

TEST(EffectsPanning, ColumnSlidesAreUnclampedUntilThePush) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0xD8, 0x8, 0x04);  // pan 4 set after the column's -8 on tick 0
  song.Put(0, 1, 0, 0, 0, 0xE2, 0, 0);
  song.Start(3);
  V pans, pushed;
  for (int i = 0; i < 6; ++i) {
    const auto state = song.Tick();
    pans.push_back(state.pan);
    pushed.push_back(AUDIO_Channel[state.voice].pan);
  }
  EXPECT_EQ(pans, (V{4, -4, -12, -10, -8, -6}));
  EXPECT_EQ(pushed, (V{4, 0, 0, 0, 0, 0}));
}

TEST(EffectsGlobalVolume, SetClampsAndSlideUsesItsMemory) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 16, 0x80);  // 128: at most 64
  song.Put(0, 1, 0, 0, 0, 0, 16, 0x20);
  song.Put(0, 2, 0, 0, 0, 0, 17, 0x03);  // down 3 per later tick
  song.Put(0, 3, 0, 0, 0, 0, 17, 0x00);
  song.Put(0, 4, 0, 0, 0, 0, 17, 0xF0);  // up 15, at most 64
  song.Start(3);
  V global;
  for (int i = 0; i < 15; ++i) {
    song.Tick();
    global.push_back(song.Module().global_volume);
  }
  EXPECT_EQ(global, (V{64, 64, 64, 32, 32, 32, 32, 29, 26, 26, 23, 20, 20, 35, 50}));
}

TEST(EffectsGlobalVolume, SlideReachesAVoiceOnlyAtItsNextVolumePush) {
  Song song(2, 1);
  song.Put(0, 0, 0, kC4, 1, 0x50, 0, 0);
  song.Put(0, 0, 1, 0, 0, 0, 17, 0x0F);  // global volume down 15 per later tick
  song.Put(0, 1, 0, 0, 0, 0x50, 0, 0);   // a volume push on the next row
  song.Start(3);
  const auto first = song.Tick();
  const std::int32_t full = AUDIO_Channel[first.voice].volume;
  song.Ticks(2);
  EXPECT_EQ(song.Module().global_volume, 34);
  EXPECT_EQ(AUDIO_Channel[first.voice].volume, full);  // nothing pushed yet
  song.Tick();
  EXPECT_LT(AUDIO_Channel[first.voice].volume, full);
}

TEST(EffectsVolumeColumn, UnusedBytesDoNothing) {
  for (std::uint8_t byte : {0x01, 0x0F, 0x51, 0x5F}) {
    MUSIC_CHANNEL channel{};
    channel.volume = 20;
    channel.pan = 100;
    MUSIC_XM_ProcessVolumeByte(&channel, byte);
    MUSIC_XM_VolumeByteTick(&channel, byte);
    EXPECT_EQ(channel.volume, 20) << int(byte);
    EXPECT_EQ(channel.pan, 100) << int(byte);
    EXPECT_EQ(channel.update_flags, 0) << int(byte);
  }
  MUSIC_CHANNEL channel{};
  MUSIC_XM_ProcessVolumeByte(&channel, 0x50);
  EXPECT_EQ(channel.volume, 64);
  MUSIC_XM_ProcessVolumeByte(&channel, 0x10);
  EXPECT_EQ(channel.volume, 0);
  MUSIC_XM_ProcessVolumeByte(&channel, 0xCF);
  EXPECT_EQ(channel.pan, 240);
}

TEST(EffectsTremor, ACycleShortenedMidwayStartsOver) {
  MUSIC_CHANNEL channel{};
  channel.volume = 40;
  channel.tremor_on = 8;
  channel.tremor_off = 8;
  channel.tremor_position = 12;
  channel.tremor_on = 1;  // a new, shorter cycle of 1 + 1 ticks
  channel.tremor_off = 1;
  MUSIC_XM_Tremor(&channel);
  EXPECT_EQ(channel.volume_offset, -40);
  EXPECT_EQ(channel.tremor_position, 0);
}

}  // namespace
