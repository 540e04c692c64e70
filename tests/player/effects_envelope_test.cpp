// Envelopes with sustain and loop, set envelope position, key off and fadeout, the instrument
// vibrato and set finetune, traced tick by tick.
#include <gtest/gtest.h>

#include "effects_song.h"
#include "player/xm_effects_shared.h"

namespace {

using effects_test::Song;
using V = std::vector<std::int32_t>;

constexpr std::uint8_t kC4 = 49;

void SetVolumeEnvelope(MUSIC_INSTRUMENT& instrument, std::vector<MUSIC_ENVELOPE_POINT> points,
                       std::uint8_t flags, std::uint8_t sustain = 0, std::uint8_t loop_start = 0,
                       std::uint8_t loop_end = 0) {
  for (std::size_t i = 0; i < points.size(); ++i) instrument.volume_points[i] = points[i];
  instrument.volume_point_count = static_cast<std::uint8_t>(points.size());
  instrument.volume_envelope_flags = flags;
  instrument.volume_sustain = sustain;
  instrument.volume_loop_start = loop_start;
  instrument.volume_loop_end = loop_end;
}

V EnvelopeValues(Song& song, int ticks) {
  V values;
  for (int i = 0; i < ticks; ++i) {
    song.Tick();
    values.push_back(MUSIC_Channel[0].volume_env_value);
  }
  return values;
}

TEST(EffectsEnvelope, LinearSegmentReachesEachPointOnItsTick) {
  Song song(1, 1);
  SetVolumeEnvelope(song.Instrument(), {{0, 64}, {10, 0}}, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0, 0);
  song.Start(6);
  EXPECT_EQ(EnvelopeValues(song, 13), (V{64, 57, 51, 44, 38, 32, 25, 19, 12, 6, 0, 0, 0}));
  EXPECT_EQ(MUSIC_Channel[0].volume_env_done, 1);
  EXPECT_EQ(MUSIC_Channel[0].volume_env_tick, 10);  // the last point does not advance the tick
}

TEST(EffectsEnvelope, KeyOffLeavesTheSustainPointAndStartsTheFadeout) {
  Song song(1, 1);
  SetVolumeEnvelope(song.Instrument(), {{0, 64}, {4, 32}, {8, 0}}, 1 | 2, 1);
  song.Instrument().fadeout = 4096;
  song.Put(0, 0, 0, kC4, 1, 0, 0, 0);
  song.Put(0, 2, 0, 255, 0, 0, 0, 0);
  song.Start(6);
  V envelope, fade;
  for (int i = 0; i < 18; ++i) {
    song.Tick();
    envelope.push_back(MUSIC_Channel[0].volume_env_value);
    fade.push_back(MUSIC_Channel[0].fade_volume);
  }
  EXPECT_EQ(envelope, (V{64, 56, 48, 40, 32, 32, 32, 32, 32, 32, 32, 32, 32, 24, 16, 8, 0, 0}));
  EXPECT_EQ(fade, (V{65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536,
                     65536, 61440, 57344, 53248, 49152, 45056, 40960}));
}

TEST(EffectsEnvelope, KeyOffEffectAndFadeoutFloor) {
  Song song(1, 1);
  SetVolumeEnvelope(song.Instrument(), {{0, 64}, {4, 32}}, 1 | 2, 0);
  song.Instrument().fadeout = 30000;
  song.Put(0, 0, 0, kC4, 1, 0, 20, 0x37);  // K with any parameter releases at once
  song.Start(4);
  V fade;
  for (int i = 0; i < 4; ++i) {
    song.Tick();
    fade.push_back(MUSIC_Channel[0].fade_volume);
  }
  EXPECT_EQ(fade, (V{35536, 5536, 0, 0}));
  EXPECT_EQ(MUSIC_Channel[0].key_off, 1);
}

TEST(EffectsEnvelope, LoopWrapsBeforeTheEndTest) {
  Song song(1, 1);
  // Rises from 0 to 32 over two ticks, then loops points 1..2 (32 -> 16 -> back to 32).
  SetVolumeEnvelope(song.Instrument(), {{0, 0}, {2, 32}, {4, 16}}, 1 | 4, 0, 1, 2);
  song.Put(0, 0, 0, kC4, 1, 0, 0, 0);
  song.Start(12);
  EXPECT_EQ(EnvelopeValues(song, 10), (V{0, 16, 32, 24, 32, 24, 32, 24, 32, 24}));
  EXPECT_EQ(MUSIC_Channel[0].volume_env_done, 0);
}

TEST(EffectsEnvelope, SustainAtTheLoopEndHoldsUntilRelease) {
  Song song(1, 1);
  SetVolumeEnvelope(song.Instrument(), {{0, 64}, {2, 0}, {4, 64}}, 1 | 2 | 4, 2, 1, 2);
  song.Put(0, 0, 0, kC4, 1, 0, 0, 0);
  song.Put(0, 1, 0, 255, 0, 0, 0, 0);
  song.Start(6);
  // The loop moves the point from the loop end back to point 1 before the sustain test, so a
  // sustain point on the loop end never holds.
  EXPECT_EQ(EnvelopeValues(song, 8), (V{64, 32, 0, 32, 0, 32, 0, 32}));
}

TEST(EffectsEnvelope, PanEnvelopeMovesThePushedPan) {
  Song song(1, 1);
  auto& instrument = song.Instrument();
  instrument.pan_points[0] = {0, 32};
  instrument.pan_points[1] = {2, 64};
  instrument.pan_point_count = 2;
  instrument.pan_envelope_flags = 1;
  song.Put(0, 0, 0, kC4, 1, 0, 0, 0);
  song.Start(6);
  V pans;
  for (int i = 0; i < 4; ++i) pans.push_back(AUDIO_Channel[song.Tick().voice].pan);
  EXPECT_EQ(pans, (V{128, 128 + 16 * 4, 255, 255}));  // 128 + 32 * 4 is clamped
}

TEST(EffectsEnvelope, SetPositionInsideASegmentAndPastTheLastPoint) {
  Song song(1, 1);
  SetVolumeEnvelope(song.Instrument(), {{0, 64}, {10, 48}}, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0, 0);
  song.Put(0, 1, 0, 0, 0, 0, 21, 5);     // inside the segment
  song.Put(0, 2, 0, 0, 0, 0, 21, 0x14);  // past the last point
  song.Start(2);
  V values = EnvelopeValues(song, 6);
  EXPECT_EQ(values, (V{64, 62, 56, 54, 48, 48}));
  EXPECT_EQ(MUSIC_Channel[0].volume_env_done, 1);

  // Without a volume envelope L does nothing.
  Song off(1, 1);
  off.Put(0, 0, 0, kC4, 1, 0, 21, 5);
  off.Start(2);
  EXPECT_EQ(EnvelopeValues(off, 2), (V{64, 64}));
}

TEST(EffectsEnvelope, SetPositionPicksTheSegment) {
  MUSIC_INSTRUMENT instrument{};
  SetVolumeEnvelope(instrument, {{0, 0}, {4, 40}, {8, 0}, {16, 64}}, 1);
  MUSIC_CHANNEL channel{};
  MUSIC_XM_SetEnvelopePosition(&channel, &instrument, 10);
  EXPECT_EQ(channel.volume_env_point, 3);
  EXPECT_EQ(channel.volume_env_delta, 64 * 65536 / 8);
  EXPECT_EQ(channel.volume_env_value, 16);
  EXPECT_EQ(channel.volume_env_tick, 10);
  EXPECT_EQ(channel.volume_env_done, 0);
  MUSIC_XM_SetEnvelopePosition(&channel, &instrument, 3);
  EXPECT_EQ(channel.volume_env_point, 1);
  EXPECT_EQ(channel.volume_env_value, 30);
}

TEST(EffectsEnvelope, ReleasedNoteWithoutEnvelopeIsSilentAtOnce) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0, 0);
  song.Put(0, 1, 0, 255, 0, 0, 0, 0);
  song.Start(2);
  song.Ticks(2);
  const auto state = song.Tick();
  EXPECT_EQ(MUSIC_Channel[0].volume_env_value, 0);
  EXPECT_EQ(AUDIO_Channel[state.voice].volume, 0);
}

TEST(EffectsInstrumentVibrato, Waveforms) {
  MUSIC_INSTRUMENT instrument{};
  instrument.autovibrato_depth = 64;
  auto offset_at = [&](std::uint8_t type, std::int32_t position) {
    MUSIC_CHANNEL channel{};
    instrument.autovibrato_type = type;
    channel.autovibrato_position = position;
    MUSIC_XM_InstrumentVibrato(&channel, &instrument);
    EXPECT_EQ(channel.update_flags, UPDATE_FREQUENCY);
    return channel.period_offset;
  };
  EXPECT_EQ(offset_at(0, 0), 0);
  EXPECT_EQ(offset_at(0, 64), 63);  // sin just below 1 with pi as 3.141592
  EXPECT_EQ(offset_at(0, 192), -63);
  EXPECT_EQ(offset_at(0, 32), 45);
  EXPECT_EQ(offset_at(1, 127), 64);
  EXPECT_EQ(offset_at(1, 128), -64);
  EXPECT_EQ(offset_at(2, 0), 0);
  EXPECT_EQ(offset_at(2, 127), -64);
  EXPECT_EQ(offset_at(2, 128), 64);
  EXPECT_EQ(offset_at(3, 128), 64);
  EXPECT_EQ(offset_at(3, 129), -64);
  EXPECT_EQ(offset_at(3, 1), 0);   // (128 - 127) >> 1
  EXPECT_EQ(offset_at(4, 64), 0);  // unknown types are flat
}

TEST(EffectsInstrumentVibrato, SweepRampsTheDepthAndThePositionWraps) {
  MUSIC_INSTRUMENT instrument{};
  instrument.autovibrato_type = 1;
  instrument.autovibrato_depth = 64;
  instrument.autovibrato_sweep = 4;
  instrument.autovibrato_rate = 100;
  MUSIC_CHANNEL channel{};
  V offsets, positions;
  for (int i = 0; i < 6; ++i) {
    channel.period_offset = 0;
    MUSIC_XM_InstrumentVibrato(&channel, &instrument);
    offsets.push_back(channel.period_offset);
    positions.push_back(channel.autovibrato_position);
  }
  EXPECT_EQ(offsets, (V{0, 16, -32, 48, -64, -64}));
  EXPECT_EQ(positions, (V{100, 200, 44, 144, 244, 88}));
  EXPECT_EQ(channel.autovibrato_sweep_count, 4);
}

TEST(EffectsInstrumentVibrato, AddsToTheVibratoOnEveryTick) {
  Song song(1, 1);
  song.Instrument().autovibrato_type = 1;
  song.Instrument().autovibrato_depth = 8;
  song.Put(0, 0, 0, kC4, 1, 0, 0x4, 0x48);
  song.Start(6);
  const V offsets = effects_test::PeriodOffsets(song.Ticks(4));
  EXPECT_EQ(offsets, (V{8, 8, -24 + 8, -44 + 8}));
}

TEST(EffectsFinetune, E5ChangesTheSampleForLaterNotesOnly) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0xE, 0x5F);
  song.Put(0, 1, 0, kC4, 1, 0, 0, 0);
  song.Start(1);
  EXPECT_EQ(song.Tick().period, 4608);
  EXPECT_EQ(song.Sample().finetune, 15);
  EXPECT_EQ(song.Tick().period, 4608 - 7);  // finetune / 2, truncated
}

}  // namespace
