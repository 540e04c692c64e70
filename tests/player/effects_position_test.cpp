// Effects on the song position and on when notes start and stop: jumps, breaks, loops, delays,
// speed and tempo, note cut, note delay and sample offset.
#include <gtest/gtest.h>

#include <utility>

#include "effects_song.h"

namespace {

using effects_test::Song;
using V = std::vector<std::int32_t>;
using Position = std::pair<std::int32_t, std::int32_t>;

constexpr std::uint8_t kC4 = 49;

// (order, row) of the first `rows` rows played, read on their first ticks.
std::vector<Position> RowStarts(Song& song, int rows) {
  std::vector<Position> starts;
  for (int guard = 0; static_cast<int>(starts.size()) < rows && guard < 10000; ++guard) {
    const auto state = song.Tick();
    if (state.tick == 0) starts.push_back({state.order, state.row});
  }
  return starts;
}

// A song of eight orders that all play one empty pattern, with two cells set in row 0.
std::vector<Position> JumpFromRowZero(std::uint8_t effect0, std::uint8_t param0, std::uint8_t effect1,
                                      std::uint8_t param1) {
  Song song(2, 1);
  song.SetOrders({0, 0, 0, 0, 0, 0, 0, 0});
  song.Put(0, 0, 0, 0, 0, 0, effect0, param0);
  song.Put(0, 0, 1, 0, 0, 0, effect1, param1);
  song.Start(2);
  return RowStarts(song, 3);
}

TEST(EffectsPosition, PatternBreakAndPositionJumpCombinations) {
  EXPECT_EQ(JumpFromRowZero(0xD, 0x12, 0, 0), (std::vector<Position>{{0, 0}, {1, 12}, {1, 13}}));
  EXPECT_EQ(JumpFromRowZero(0xD, 0x70, 0, 0), (std::vector<Position>{{0, 0}, {1, 0}, {2, 0}}));
  EXPECT_EQ(JumpFromRowZero(0xB, 0x05, 0xD, 0x10), (std::vector<Position>{{0, 0}, {5, 10}, {5, 11}}));
  EXPECT_EQ(JumpFromRowZero(0xD, 0x10, 0xB, 0x05), (std::vector<Position>{{0, 0}, {5, 0}, {5, 0}}));
  // A jump past the song's end goes to order 0; so does a break from the last order.
  EXPECT_EQ(JumpFromRowZero(0xB, 0x09, 0, 0), (std::vector<Position>{{0, 0}, {0, 0}, {0, 0}}));
}

TEST(EffectsPosition, BreakFromTheLastOrderGoesToOrderZero) {
  Song song(1, 2);
  song.SetOrders({0, 1});
  song.Module().restart_order = 1;
  song.Put(1, 0, 0, 0, 0, 0, 0xD, 0x05);
  song.Start(1);
  for (int i = 0; i < 64; ++i) song.Tick();  // order 0
  EXPECT_EQ(RowStarts(song, 2), (std::vector<Position>{{1, 0}, {0, 5}}));
}

TEST(EffectsPosition, PatternLoopPlaysRowsFourToSevenThreeTimes) {
  Song song(2, 1, 16);
  song.Put(0, 4, 0, 0, 0, 0, 0xE, 0x60);
  song.Put(0, 7, 0, 0, 0, 0, 0xE, 0x62);
  song.Put(0, 0, 1, kC4, 1, 0, 0, 0);
  song.Put(0, 7, 1, 0, 0, 0, 0xA, 0x01);  // down 1 on row 7's later tick
  song.Start(2);
  const V rows = effects_test::Rows(song.Ticks(34));
  EXPECT_EQ(rows, (V{0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 4, 4,
                     5, 5, 6, 6, 7, 7, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8}));
  EXPECT_EQ(MUSIC_Channel[1].volume, 32 - 3);  // the later ticks of row 7 ran all three times
  EXPECT_EQ(MUSIC_Channel[0].loop_count, 0);
}

TEST(EffectsPosition, PatternDelayOfTwoMakesEighteenTicksAndSlidesGoOn) {
  Song song(2, 1);
  song.Put(0, 0, 0, 0, 0, 0, 0xE, 0xE2);
  song.Put(0, 0, 1, kC4, 1, 0, 0xA, 0x10);
  song.Start(6);
  std::vector<effects_test::TickState> trace;
  V volumes;
  for (int i = 0; i < 19; ++i) {
    trace.push_back(song.Tick(0));
    volumes.push_back(song.State(1).volume);
  }
  for (int i = 0; i < 18; ++i) {
    EXPECT_EQ(trace[i].row, 0) << trace[i].Line();
    EXPECT_EQ(trace[i].tick, i);
  }
  EXPECT_EQ(trace[18].row, 1);
  EXPECT_EQ(trace[18].tick, 0);
  EXPECT_EQ(volumes[17], 32 + 17);
}

TEST(EffectsPosition, SpeedZeroMakesEveryTickARowAndTempoSetsTheTickLength) {
  Song song(1, 1);
  song.Put(0, 0, 0, 0, 0, 0, 0xF, 0x00);
  song.Start(6);
  const auto trace = song.Ticks(5);
  EXPECT_EQ(effects_test::Rows(trace), (V{0, 1, 2, 3, 4}));
  for (const auto& state : trace) EXPECT_EQ(state.tick, 0);

  Song tempo(1, 1);
  tempo.Put(0, 0, 0, 0, 0, 0, 0xF, 0x20);
  tempo.Put(0, 1, 0, 0, 0, 0, 0xF, 0x1F);
  tempo.Start(6, 125);
  tempo.Tick();
  EXPECT_EQ(tempo.Module().bpm, 32);
  EXPECT_EQ(tempo.Module().mix_samples_per_tick, 3445);
  EXPECT_EQ(tempo.Module().speed, 6);
  tempo.Ticks(6);
  EXPECT_EQ(tempo.Module().speed, 31);
  EXPECT_EQ(tempo.Module().bpm, 32);
}

TEST(EffectsNoteCut, CutAtTickYAndZeroDoesNothing) {
  Song song(2, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0xE, 0xC3);
  song.Put(0, 0, 1, kC4, 1, 0, 0xE, 0xC0);
  song.Start(6);
  V cut, kept;
  for (int i = 0; i < 6; ++i) {
    cut.push_back(song.Tick(0).volume);
    kept.push_back(song.State(1).volume);
  }
  EXPECT_EQ(cut, (V{32, 32, 32, 0, 0, 0}));
  EXPECT_EQ(kept, (V{32, 32, 32, 32, 32, 32}));
}

// A note played loud on row 0, then row 1 with `cell` on a new note.
std::vector<effects_test::TickState> DelayedNote(std::uint8_t volume_column, std::uint8_t param) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0x50, 0, 0);
  song.Put(0, 1, 0, kC4 + 4, 1, volume_column, 0xE, param);
  song.Start(6);
  song.Ticks(6);
  return song.Ticks(6);
}

TEST(EffectsNoteDelay, ED3StartsTheNoteOnTickThree) {
  std::vector<std::string> lines;
  for (const auto& state : DelayedNote(0, 0xD3)) lines.push_back(state.Line());
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "o0 r1 t0 period 4608+0 volume 64+0 pan 128 voice 0",
                       "o0 r1 t1 period 4608+0 volume 64+0 pan 128 voice 0",
                       "o0 r1 t2 period 4608+0 volume 64+0 pan 128 voice 0",
                       "o0 r1 t3 period 4352+0 volume 32+0 pan 128 voice 32",
                       "o0 r1 t4 period 4352+0 volume 32+0 pan 128 voice 32",
                       "o0 r1 t5 period 4352+0 volume 32+0 pan 128 voice 32",
                   }));
}

TEST(EffectsNoteDelay, ED0NeverStartsAndTheColumnActsAtTheTrigger) {
  const auto never = DelayedNote(0, 0xD0);
  for (const auto& state : never) {
    EXPECT_EQ(state.period, 4608) << state.Line();
    EXPECT_EQ(state.voice, 0) << state.Line();
    EXPECT_EQ(state.volume, 64) << state.Line();
  }
  const auto with_volume = DelayedNote(0x20, 0xD3);
  EXPECT_EQ(effects_test::Volumes(with_volume), (V{64, 64, 64, 16, 16, 16}));
  EXPECT_EQ(with_volume[3].voice, 32);
}

TEST(EffectsNoteDelay, WaitingTicksPushNothingToTheVoice) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0x50, 0, 0);
  song.Put(0, 1, 0, 0, 0, 0x61, 0xE, 0xD4);  // the column's slide still changes the channel
  song.Start(6);
  song.Ticks(6);
  const std::int32_t pushed = AUDIO_Channel[0].volume;
  const auto trace = song.Ticks(4);
  EXPECT_EQ(effects_test::Volumes(trace), (V{64, 63, 62, 61}));
  EXPECT_EQ(AUDIO_Channel[0].volume, pushed);  // but the voice does not hear it
}

TEST(EffectsNoteDelay, ADelayInsideAPatternDelayedRowStillPlays) {
  Song song(2, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0xE, 0xD8);  // past the speed, inside the 12-tick row
  song.Put(0, 0, 1, 0, 0, 0, 0xE, 0xE1);
  song.Start(6);
  for (int t = 0; t < 12; ++t) {
    const auto state = song.Tick();
    EXPECT_EQ(AUDIO_Channel[0].sample != nullptr, t >= 8) << state.Line();
    EXPECT_EQ(state.period, t < 8 ? 0 : 4608) << state.Line();
  }
}

TEST(EffectsSampleOffset, OffsetStartsTheNoteThereOrRewindsWhenPastTheEnd) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0x9, 0x02);  // 512 inside the 1000-sample sample
  song.Put(0, 1, 0, kC4, 1, 0, 0x9, 0x04);  // 1024: past the end
  song.Put(0, 2, 0, kC4, 1, 0, 0x9, 0x00);  // the memory: past the end again
  song.Start(2);
  auto state = song.Tick();
  EXPECT_EQ(AUDIO_Channel[state.voice].position, 512u);
  EXPECT_EQ(AUDIO_Channel[state.voice].start_offset, 0u);
  song.Tick();
  AUDIO_Channel[state.voice].position = 700;  // as if mixed for a while
  state = song.Tick();
  EXPECT_EQ(state.voice, 0);  // no trigger: no twin voice
  EXPECT_EQ(AUDIO_Channel[0].position, 0u);
  EXPECT_EQ(AUDIO_Channel[0].sample, &song.Sample());
  EXPECT_EQ(MUSIC_Channel[0].offset_memory, 4);
  song.Tick();
  AUDIO_Channel[0].position = 300;
  state = song.Tick();
  EXPECT_EQ(state.voice, 0);
  EXPECT_EQ(AUDIO_Channel[0].position, 0u);
}

TEST(EffectsSampleOffset, AnOffsetWithoutANoteWaitsForTheNextTrigger) {
  Song song(1, 1);
  song.Put(0, 0, 0, kC4, 1, 0, 0, 0);
  song.Put(0, 1, 0, 0, 0, 0, 0x9, 0x03);  // no note: only remembered by the voice
  song.Put(0, 2, 0, kC4, 0, 0, 0, 0);
  song.Start(1);
  song.Tick();
  AUDIO_Channel[0].position = 100;
  song.Tick();
  EXPECT_EQ(AUDIO_Channel[0].position, 100u);
  EXPECT_EQ(AUDIO_Channel[0].start_offset, 768u);
  const auto state = song.Tick();
  EXPECT_EQ(state.voice, 32);
  EXPECT_EQ(AUDIO_Channel[32].position, 768u);
}

}  // namespace
