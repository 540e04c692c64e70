// The song generator: the notation, the XM it writes, the synthesiser's tuning and loops,
// the clock table, and the committed song itself (its form, its cuts, what it exercises).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "content.h"
#include "song_text.h"
#include "songclock.h"
#include "support/gl_context.h"
#include "synth.h"
#include "xm_file.h"

namespace {

using xmsong::Cell;

std::string ReadSource(const std::string& relative) {
  std::ifstream in(testsupport::SourcePath(relative), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
         std::uint32_t(b[at + 3]) << 24;
}
std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint16_t(b[at] | b[at + 1] << 8);
}

TEST(SongNotation, CellsReadTheirFieldsInAnyOrder) {
  Cell c;
  std::string why;
  ASSERT_TRUE(xmsong::ParseCell("C#4 0A v30 E61", &c, &why)) << why;
  EXPECT_EQ(c.note, 4 * 12 + 1 + 1);
  EXPECT_EQ(c.instrument, 10);
  EXPECT_EQ(c.volume, 0x10 + 0x30);
  EXPECT_EQ(c.effect, 14);
  EXPECT_EQ(c.param, 0x61);

  ASSERT_TRUE(xmsong::ParseCell("A04 ... ..", &c, &why)) << why;
  EXPECT_EQ(c.note, 0);
  EXPECT_EQ(c.effect, 10);
  EXPECT_EQ(c.param, 4);

  ASSERT_TRUE(xmsong::ParseCell("=== g08", &c, &why));
  EXPECT_EQ(c.note, 97);
  EXPECT_EQ(c.volume, 0xF8);
  ASSERT_TRUE(xmsong::ParseCell("C-0 u01 037", &c, &why));
  EXPECT_EQ(c.note, 1);
  EXPECT_EQ(c.volume, 0x71);
  EXPECT_EQ(c.effect, 0);
  EXPECT_EQ(c.param, 0x37);
  ASSERT_TRUE(xmsong::ParseCell("B-7 Z00", &c, &why));
  EXPECT_EQ(c.note, 96);
  EXPECT_EQ(c.effect, 35);

  ASSERT_TRUE(xmsong::ParseCell(" . ", &c, &why));
  EXPECT_TRUE(c.Empty());
}

TEST(SongNotation, RejectsWhatItCannotRead) {
  Cell c;
  std::string why;
  EXPECT_FALSE(xmsong::ParseCell("v41", &c, &why));   // volume above 64
  EXPECT_FALSE(xmsong::ParseCell("d10", &c, &why));   // slide wants one digit
  EXPECT_FALSE(xmsong::ParseCell("E#4", &c, &why));   // no such note
  EXPECT_FALSE(xmsong::ParseCell("C-8", &c, &why));   // above the note range
  EXPECT_FALSE(xmsong::ParseCell("00", &c, &why));    // instrument 0
  EXPECT_FALSE(xmsong::ParseCell("C-4 01 x", &c, &why));
  EXPECT_NE(why.find("x"), std::string::npos);
}

TEST(SongNotation, SongErrorsNameTheLine) {
  xmsong::Module m;
  std::string why;
  EXPECT_FALSE(xmsong::ParseSong("channels 2\norder p\npattern p 1\nC-4 01\n", &m, &why));
  EXPECT_NE(why.find("line 4"), std::string::npos) << why;
  EXPECT_FALSE(xmsong::ParseSong("channels 1\norder q\npattern p 1\n.\n", &m, &why));
  EXPECT_NE(why.find("unknown pattern q"), std::string::npos) << why;
  EXPECT_FALSE(xmsong::ParseSong("channels 1\norder p\npattern p 3\n.\n.\n", &m, &why));
  EXPECT_FALSE(xmsong::ParseSong("channels 1\nbpm 300\n", &m, &why));

  ASSERT_TRUE(xmsong::ParseSong("name Two words ; comment\nchannels 2\nspeed 3\nbpm 99\nrestart 1\n"
                                "order p p\npattern p 2\nC#4 01 | .\n\n; a gap\n=== | ... .. v10 F06\n",
                                &m, &why))
      << why;
  EXPECT_EQ(m.name, "Two words");
  EXPECT_EQ(m.speed, 3);
  EXPECT_EQ(m.bpm, 99);
  EXPECT_EQ(m.restart_order, 1);
  ASSERT_EQ(m.orders.size(), 2u);
  ASSERT_EQ(m.patterns.size(), 1u);
  EXPECT_EQ(m.patterns[0].cells[0].note, 50);
  EXPECT_EQ(m.patterns[0].cells[2].note, 97);
  EXPECT_EQ(m.patterns[0].cells[3].effect, 15);
}

TEST(SongNotation, InstrumentKeysAreChecked) {
  std::vector<xmsong::InstrumentSource> out;
  std::string why;
  EXPECT_FALSE(xmsong::ParseInstruments("instrument 01 a\n sample rat=8000\n layer wave=sine\n", &out, &why));
  EXPECT_NE(why.find("unknown key rat"), std::string::npos) << why;
  EXPECT_FALSE(xmsong::ParseInstruments("instrument 02 a\n layer wave=sine\n", &out, &why));
  EXPECT_FALSE(xmsong::ParseInstruments("instrument 01 a\n layer wave=buzz\n", &out, &why));
  EXPECT_FALSE(xmsong::ParseInstruments("instrument 01 a\n volenv 0:65\n layer wave=sine\n", &out, &why));
  ASSERT_TRUE(xmsong::ParseInstruments(
      "instrument 01 a\n sample bits=16 rate=8000 length=0.5 loop=pingpong loopstart=0.1 looplength=0.4\n"
      " layer wave=saw cents=5\n volenv 0:0 4:64 9:32 sustain=2 loop=1-2\n fadeout 300\n"
      " vibrato type=1 sweep=2 depth=3 rate=4\n",
      &out, &why))
      << why;
  ASSERT_EQ(out.size(), 1u);
  EXPECT_TRUE(out[0].recipe.sixteen_bit);
  EXPECT_EQ(out[0].recipe.loop, xmsong::LoopMode::kPingPong);
  EXPECT_EQ(out[0].instrument.volume_envelope.points.size(), 3u);
  EXPECT_EQ(out[0].instrument.volume_envelope.sustain, 2);
  EXPECT_EQ(out[0].instrument.volume_envelope.loop_end, 2);
  EXPECT_EQ(out[0].instrument.fadeout, 300);
  EXPECT_EQ(out[0].instrument.vibrato_depth, 3);
}

// A small module covering every part of the layout the loader reads.
xmsong::Module SmallModule() {
  xmsong::Module m;
  m.name = "t";
  m.channels = 2;
  m.speed = 5;
  m.bpm = 130;
  m.restart_order = 1;
  m.orders = {0, 0};
  xmsong::Pattern p;
  p.rows = 2;
  p.cells.resize(4);
  p.cells[0] = {49, 1, 0x40, 0x0C, 0x20};  // every field: stored unpacked
  p.cells[1] = {97, 0, 0, 0, 0};           // key off alone
  p.cells[3] = {0, 0, 0, 0x0A, 0x0F};      // effect and parameter
  m.patterns.push_back(p);
  xmsong::Instrument ins;
  ins.volume_envelope.points = {{0, 64}, {10, 32}};
  ins.volume_envelope.on = true;
  ins.volume_envelope.sustain = 1;
  ins.fadeout = 123;
  xmsong::Sample s16;
  s16.sixteen_bit = true;
  s16.pcm = {100, 50, -20, 32767, -32768};
  s16.loop = xmsong::LoopMode::kForward;
  s16.loop_start = 1;
  s16.loop_length = 3;
  s16.relative_note = -5;
  s16.finetune = -17;
  xmsong::Sample s8;
  s8.pcm = {1, 2, 3, 127, -128};
  s8.loop = xmsong::LoopMode::kPingPong;
  s8.loop_start = 0;
  s8.loop_length = 5;
  ins.samples = {s16, s8};
  ins.sample_for_note[60] = 1;
  m.instruments.push_back(ins);
  return m;
}

TEST(XmWriter, HeaderFieldsSitWhereTheLoaderReadsThem) {
  const xmsong::Module m = SmallModule();
  ASSERT_EQ(xmsong::Validate(m), "");
  const std::vector<std::uint8_t> b = xmsong::WriteXm(m);
  ASSERT_GT(b.size(), 400u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 17), "Extended Module: ");
  EXPECT_EQ(b[37], 0x1A);
  EXPECT_EQ(Le16(b, 58), 0x0104);
  EXPECT_EQ(Le32(b, 60), 276u);
  EXPECT_EQ(Le16(b, 64), 2);    // song length
  EXPECT_EQ(Le16(b, 66), 1);    // restart
  EXPECT_EQ(Le16(b, 68), 2);    // channels
  EXPECT_EQ(Le16(b, 70), 1);    // patterns
  EXPECT_EQ(Le16(b, 72), 1);    // instruments
  EXPECT_EQ(Le16(b, 74), 1);    // linear frequency table
  EXPECT_EQ(Le16(b, 76), 5);
  EXPECT_EQ(Le16(b, 78), 130);
}

TEST(XmWriter, PatternsPackAndInstrumentsDeltaCode) {
  const std::vector<std::uint8_t> b = xmsong::WriteXm(SmallModule());
  std::size_t at = 60 + 276;
  EXPECT_EQ(Le32(b, at), 9u);
  EXPECT_EQ(Le16(b, at + 5), 2);  // rows
  const std::vector<std::uint8_t> expected_cells = {49, 1, 0x40, 0x0C, 0x20,  // full cell, unpacked
                                                    0x81, 97,                   // note only
                                                    0x80,                       // empty
                                                    0x98, 0x0A, 0x0F};          // effect + param
  ASSERT_EQ(Le16(b, at + 7), expected_cells.size());
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + long(at + 9), b.begin() + long(at + 9 + expected_cells.size())),
            expected_cells);
  at += 9 + expected_cells.size();

  const std::size_t instrument = at;
  EXPECT_EQ(Le32(b, at), 263u);
  EXPECT_EQ(Le16(b, at + 27), 2);   // samples
  EXPECT_EQ(Le32(b, at + 29), 40u);
  EXPECT_EQ(b[at + 33 + 60], 1);    // note 60 plays sample 1
  EXPECT_EQ(Le16(b, at + 129 + 4), 10);  // second volume point's tick
  EXPECT_EQ(b[at + 225], 2);        // volume points
  EXPECT_EQ(b[at + 227], 1);        // sustain point
  EXPECT_EQ(b[at + 233], 1 | 2);    // on + sustain
  EXPECT_EQ(Le16(b, at + 239), 123);
  at = instrument + 263;
  // 16-bit sample header: byte counts.
  EXPECT_EQ(Le32(b, at), 10u);
  EXPECT_EQ(Le32(b, at + 4), 2u);
  EXPECT_EQ(Le32(b, at + 8), 6u);
  EXPECT_EQ(b[at + 13], std::uint8_t(-17));
  EXPECT_EQ(b[at + 14], 0x11);  // forward loop, 16-bit
  EXPECT_EQ(std::int8_t(b[at + 16]), -5);
  // 8-bit ping-pong.
  EXPECT_EQ(Le32(b, at + 40), 5u);
  EXPECT_EQ(b[at + 40 + 14], 0x02);
  at += 80;
  const std::int16_t deltas16[] = {100, -50, -70, std::int16_t(32787 - 65536), 1};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(std::int16_t(Le16(b, at + 2 * std::size_t(i))), deltas16[i]) << i;
  at += 10;
  const std::int8_t deltas8[] = {1, 1, 1, 124, 1};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(std::int8_t(b[at + std::size_t(i)]), deltas8[i]) << i;
  EXPECT_EQ(at + 5, b.size());
}

TEST(XmWriter, ValidateRefusesWhatTheFormatCannotHold) {
  xmsong::Module m = SmallModule();
  m.patterns[0].cells[0].instrument = 2;
  EXPECT_NE(xmsong::Validate(m), "");
  m = SmallModule();
  m.instruments[0].samples[0].loop_length = 5;  // runs past the end
  EXPECT_NE(xmsong::Validate(m), "");
  m = SmallModule();
  m.instruments[0].samples[1].pcm[0] = 128;  // not an 8-bit value
  EXPECT_NE(xmsong::Validate(m), "");
  m = SmallModule();
  m.instruments[0].volume_envelope.points[1].tick = 0;
  EXPECT_NE(xmsong::Validate(m), "");
  m = SmallModule();
  m.restart_order = 2;
  EXPECT_NE(xmsong::Validate(m), "");
}

TEST(Synth, TuningPutsMiddleCWhereTheRecipeSays) {
  std::int8_t rel = 0, fine = 0;
  xmsong::TuneFor(8363.0, 261.6255653005986, &rel, &fine);
  EXPECT_EQ(rel, 0);
  EXPECT_EQ(fine, 0);
  xmsong::TuneFor(16726.0, 0.0, &rel, &fine);  // unpitched: C-4 plays at the synthesis rate
  EXPECT_EQ(rel, 12);
  EXPECT_EQ(fine, 0);
  // 44100 / 8363 is 28.79 semitones: 29 and a fifth of a semitone down.
  xmsong::TuneFor(44100.0, 0.0, &rel, &fine);
  const double semis = 12.0 * std::log2(44100.0 / 8363.0);
  EXPECT_EQ(rel, 29);
  EXPECT_NEAR(rel + fine / 128.0, semis, 1.0 / 256.0);
  // A bass synthesised two octaves below middle C wants C-4 24 semitones up.
  xmsong::TuneFor(8363.0, 261.6255653005986 / 4.0, &rel, &fine);
  EXPECT_EQ(rel, 24);
  EXPECT_EQ(fine, 0);
}

TEST(Synth, ForwardLoopsJoinWithoutAStepAndRenderingRepeats) {
  xmsong::SampleRecipe r;
  r.sixteen_bit = true;
  r.rate = 22050;
  r.length = 0.1;
  r.base = 261.6255653005986;
  r.loop = xmsong::LoopMode::kForward;
  r.loop_start = 0.05;
  r.loop_length = 0.0496;
  xmsong::Layer saw;
  saw.wave = xmsong::Wave::kSaw;
  saw.filter = xmsong::Filter::kLowPass;
  saw.cutoff = 2000;
  xmsong::Layer fifth;
  fifth.semis = 7;
  r.layers = {saw, fifth};
  const xmsong::Sample s = xmsong::Synthesise(r);
  ASSERT_EQ(s.loop, xmsong::LoopMode::kForward);
  ASSERT_LE(s.loop_start + s.loop_length, s.pcm.size());
  int largest_step = 0;
  for (std::size_t i = s.loop_start + 1; i < s.loop_start + s.loop_length; ++i) {
    largest_step = std::max(largest_step, std::abs(s.pcm[i] - s.pcm[i - 1]));
  }
  const int wrap_step = std::abs(s.pcm[s.loop_start] - s.pcm[s.loop_start + s.loop_length - 1]);
  EXPECT_LE(wrap_step, largest_step);
  int peak = 0;
  for (auto v : s.pcm) peak = std::max(peak, std::abs(int(v)));
  EXPECT_NEAR(peak, 0.9 * 32767, 2);
  EXPECT_EQ(xmsong::Synthesise(r).pcm, s.pcm);

  r.sixteen_bit = false;
  const xmsong::Sample s8 = xmsong::Synthesise(r);
  for (auto v : s8.pcm) ASSERT_TRUE(v >= -128 && v <= 127);
}

TEST(SongClock, ReplaysTheFeedersAccounting) {
  EXPECT_EQ(songclock::FramesPerTick(140, 44100), 787);
  EXPECT_EQ(songclock::FramesPerTick(125, 44100), 882);
  EXPECT_EQ(songclock::FramesPerTick(32, 44100), 3445);
  EXPECT_EQ(songclock::BlockFrames(44100), 884);
  EXPECT_EQ(songclock::ChunkMilliseconds(882, 44100), 19);
  EXPECT_EQ(songclock::ChunkMilliseconds(884, 44100), 20);
  EXPECT_EQ(songclock::ChunkMilliseconds(787, 44100), 17);
  const auto records = songclock::Replay(140, 6, 44100, 4000);
  ASSERT_EQ(records.size(), 4000u);
  EXPECT_EQ(records[0].time_ms, 19);  // chunks of 787 and 97 frames
  EXPECT_EQ(records[0].row, 0);
  // 5.5 % slow: 70 s of clock is about 74 s of sound, at row 691.
  const int end = songclock::FirstBlockAt(records, 70000);
  ASSERT_GE(end, 0);
  EXPECT_NEAR(double(records[std::size_t(end)].end_frame) / 44100.0, 74.07, 0.03);
  EXPECT_EQ(records[std::size_t(end)].row, 691);
  EXPECT_EQ(songclock::FirstBlockAt(records, 10000000), -1);
}

class CommittedSong : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ok_ = xmsong::BuildModule(ReadSource("assets/song/song.txt"), ReadSource("assets/song/instruments.txt"),
                              &module_, &error_);
  }
  // The first row of an order, counted from the start of the song.
  static int RowOfOrder(int order) {
    int rows = 0;
    for (int o = 0; o < order; ++o) rows += module_.patterns[std::size_t(module_.orders[std::size_t(o)])].rows;
    return rows;
  }
  static int OrderOfPattern(const std::string& name) {
    for (std::size_t o = 0; o < module_.orders.size(); ++o) {
      if (module_.patterns[std::size_t(module_.orders[o])].name == name) return int(o);
    }
    return -1;
  }
  static xmsong::Module module_;
  static bool ok_;
  static std::string error_;
};
xmsong::Module CommittedSong::module_;
bool CommittedSong::ok_ = false;
std::string CommittedSong::error_;

TEST_F(CommittedSong, HasTheFormTheDemoExpects) {
  ASSERT_TRUE(ok_) << error_;
  EXPECT_EQ(module_.channels, 6);
  EXPECT_EQ(module_.speed, 6);
  EXPECT_EQ(module_.bpm, 140);
  EXPECT_TRUE(module_.linear_frequencies);
  const int rows = RowOfOrder(int(module_.orders.size()));
  EXPECT_GE(rows * 6 * 787, 75 * 44100) << "the song must last at least 75 s";
  const std::vector<std::uint8_t> bytes = xmsong::WriteXm(module_);
  EXPECT_GE(bytes.size(), 40u * 1024);
  EXPECT_LE(bytes.size(), 100u * 1024);
}

TEST_F(CommittedSong, IsTheEmbeddedModuleByteForByte) {
  ASSERT_TRUE(ok_) << error_;
  const std::vector<std::uint8_t> bytes = xmsong::WriteXm(module_);
  ASSERT_EQ(muzik_length, bytes.size());
  EXPECT_EQ(std::memcmp(muzik, bytes.data(), bytes.size()), 0);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(muzik[muzik_length + std::size_t(i)], 0) << "pad byte " << i;
}

TEST_F(CommittedSong, SectionsStartOnThePicturesCuts) {
  ASSERT_TRUE(ok_) << error_;
  const auto records = songclock::Replay(140, 6, 44100, 5000);
  struct Cut {
    int clock_ms;
    const char* pattern;
  };
  // Main part at 15 s, the box field at 35 s, the blast at 57 s, the outro at 59 s.
  for (const Cut& cut : {Cut{15000, "main_a"}, Cut{35000, "field_a"}, Cut{57000, "blast"}, Cut{59000, "outro_a"}}) {
    const int order = OrderOfPattern(cut.pattern);
    ASSERT_GE(order, 0) << cut.pattern;
    const int block = songclock::FirstBlockAt(records, cut.clock_ms);
    ASSERT_GE(block, 0);
    EXPECT_EQ(RowOfOrder(order), records[std::size_t(block)].row) << cut.pattern << " at clock " << cut.clock_ms;
  }
  EXPECT_EQ(module_.restart_order, OrderOfPattern("main_a"));

  // The closing flash at 69 s gets the last chord: a pad note on that very row.
  const int outro_b = OrderOfPattern("outro_b");
  ASSERT_GE(outro_b, 0);
  const int flash_row = records[std::size_t(songclock::FirstBlockAt(records, 69000))].row - RowOfOrder(outro_b);
  const auto& pattern = module_.patterns[std::size_t(module_.orders[std::size_t(outro_b)])];
  ASSERT_TRUE(flash_row >= 0 && flash_row < pattern.rows);
  EXPECT_NE(pattern.cells[std::size_t(flash_row * module_.channels + 4)].note, 0) << "row " << flash_row;
}

TEST_F(CommittedSong, ExercisesThePlayersRange) {
  ASSERT_TRUE(ok_) << error_;
  std::set<int> effects;
  std::set<int> volume_commands;
  std::set<int> channels_with_notes;
  for (const auto& p : module_.patterns) {
    for (std::size_t i = 0; i < p.cells.size(); ++i) {
      const Cell& c = p.cells[i];
      if (c.effect || c.param) effects.insert(c.effect);
      if (c.volume) volume_commands.insert(c.volume >> 4);
      if (c.note && c.note < 97) channels_with_notes.insert(int(i % std::size_t(module_.channels)));
    }
  }
  EXPECT_EQ(channels_with_notes.size(), 6u);
  for (int e : {0x0, 0x1, 0x2, 0x3, 0x4, 0x6, 0xA}) EXPECT_TRUE(effects.count(e)) << "effect " << e;
  for (int v : {0x1, 0x2, 0x3, 0x4, 0x5, 0x6, 0x7}) EXPECT_TRUE(volume_commands.count(v)) << "volume column " << v;

  bool sustain = false, loop = false, pan = false, fadeout = false, vibrato = false;
  bool eight = false, sixteen = false, forward = false, pingpong = false, relative = false, fine = false;
  for (const auto& ins : module_.instruments) {
    // A sustain point before the last one, so that a key off has somewhere to go.
    sustain |= ins.volume_envelope.on && ins.volume_envelope.sustain >= 0 &&
               ins.volume_envelope.sustain + 1 < int(ins.volume_envelope.points.size());
    loop |= ins.volume_envelope.on && ins.volume_envelope.loop_start >= 0;
    pan |= ins.pan_envelope.on && ins.pan_envelope.points.size() >= 2;
    fadeout |= ins.fadeout > 0;
    vibrato |= ins.vibrato_depth > 0 && ins.vibrato_rate > 0;
    for (const auto& s : ins.samples) {
      eight |= !s.sixteen_bit;
      sixteen |= s.sixteen_bit;
      forward |= s.loop == xmsong::LoopMode::kForward;
      pingpong |= s.loop == xmsong::LoopMode::kPingPong;
      relative |= s.relative_note != 0;
      fine |= s.finetune != 0;
    }
  }
  EXPECT_TRUE(sustain && loop && pan && fadeout && vibrato);
  EXPECT_TRUE(eight && sixteen && forward && pingpong && relative && fine);
}

}  // namespace
