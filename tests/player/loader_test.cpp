// The XM loader: the format as read, and what it rejects or repairs on malformed input.
#include <gtest/gtest.h>

#include <vector>

#include "byte_source.h"
#include "player/music.h"
#include "player/xm.h"
#include "xm_builder.h"

namespace {

using xmtest::Build;
using xmtest::Instrument;
using xmtest::Pattern;
using xmtest::Sample;
using xmtest::Song;

// Loads bytes through the file layer; every open must be matched by a close.
MUSIC_MODULE* Load(const std::vector<std::uint8_t>& bytes, MUSIC_SampleLoadCallback callback = nullptr) {
  bytesource::Install(bytes.data(), bytes.size());
  MUSIC_MODULE* module = MUSIC_LoadSong(bytes.data(), callback);
  EXPECT_EQ(bytesource::OpenCount(), 1);
  EXPECT_EQ(bytesource::CloseCount(), 1);
  return module;
}

Song OneSampleSong(const Sample& sample) {
  Song song;
  Instrument ins;
  ins.samples.push_back(sample);
  song.instruments.push_back(ins);
  return song;
}

TEST(XmLoaderHeader, SignatureMustMatchInEveryByte) {
  std::vector<std::uint8_t> bytes = Build(Song{});
  MUSIC_MODULE* good = Load(bytes);
  ASSERT_NE(good, nullptr);
  EXPECT_EQ(good->update, &MUSIC_UpdateXM);
  EXPECT_EQ(good->default_global_volume, 64);
  MUSIC_FreeSong(good);
  for (int i = 0; i < 17; ++i) {
    std::vector<std::uint8_t> bad = bytes;
    bad[i] ^= 0x20;
    EXPECT_EQ(Load(bad), nullptr) << "byte " << i;
  }
}

TEST(XmLoaderHeader, HeaderFieldsAndMissingPatterns) {
  Song song;
  song.song_length = 2;
  song.restart = 1;
  song.channels = 3;
  song.flags = 0;
  song.speed = 4;
  song.bpm = 140;
  song.orders = {1, 5, 9};  // 9 lies beyond the song length and does not count
  song.patterns = {Pattern{}, Pattern{}, Pattern{}};
  MUSIC_MODULE* m = Load(Build(song));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->song_length, 2);
  EXPECT_EQ(m->restart_order, 1);
  EXPECT_EQ(m->channel_count, 3);
  EXPECT_EQ(m->song_flags, 0);
  EXPECT_EQ(m->default_speed, 4);
  EXPECT_EQ(m->default_bpm, 140);
  EXPECT_EQ(m->used_pattern_count, 6);
  EXPECT_EQ(m->pattern_count, 6);
  for (int p = 3; p < 6; ++p) {
    EXPECT_EQ(m->patterns[p].row_count, 64);
    ASSERT_NE(m->patterns[p].notes, nullptr);
    for (int c = 0; c < 64 * 3; ++c) EXPECT_EQ(m->patterns[p].notes[c].note, 0);
  }
  // An order entry naming no pattern would index past the array: it plays pattern 0.
  EXPECT_EQ(m->order_table[2], 0);
  MUSIC_FreeSong(m);
}

TEST(XmLoaderHeader, RejectsWhatTheEngineCannotHold) {
  struct Case {
    const char* what;
    void (*mutate)(Song&);
  } cases[] = {
      {"33 channels", [](Song& s) { s.channels = 33; }},
      {"song length 257", [](Song& s) { s.song_length = 257; }},
      {"song length 0", [](Song& s) { s.song_length = 0; }},
      {"a pattern with 0 rows", [](Song& s) { s.patterns[0].rows = 0; }},
      {"a pattern with 1025 rows", [](Song& s) { s.patterns[0].rows = 1025; }},
  };
  for (const Case& c : cases) {
    Song song;
    c.mutate(song);
    EXPECT_EQ(Load(Build(song)), nullptr) << c.what;
  }
  Song fine;
  fine.channels = 32;
  fine.song_length = 256;
  fine.patterns[0].rows = 256;
  MUSIC_MODULE* m = Load(Build(fine));
  ASSERT_NE(m, nullptr);
  MUSIC_FreeSong(m);
}

TEST(XmLoaderHeader, ClampsRestartOrderAndTempo) {
  Song song;
  song.song_length = 3;
  song.restart = 3;
  song.bpm = 0;
  MUSIC_MODULE* m = Load(Build(song));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->restart_order, 0);
  EXPECT_EQ(m->default_bpm, 32);
  MUSIC_FreeSong(m);
  song.bpm = 40000;  // would turn negative in the 16-bit field
  m = Load(Build(song));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->default_bpm, 255);
  MUSIC_FreeSong(m);
}

TEST(XmLoaderPatterns, PackedAndPlainCells) {
  Song song;
  song.channels = 4;
  song.patterns[0].rows = 2;
  song.patterns[0].packed = {
      0x83, 49, 3,            // mask: note and instrument only
      0x00, 7, 0x40, 0x0f, 6, // leading 0: no note, four more bytes
      61, 2, 0x20, 0x0c, 0x30, // plain cell: the note first
      0x80,                   // an empty mask
      0x81, 97,               // key off
      0x82, 129,              // an instrument beyond 128
      0x9f, 98, 1, 2, 3, 4,   // a note beyond the note map
      0x98, 0x0e, 0xd3,       // effect and parameter only
  };
  MUSIC_MODULE* m = Load(Build(song));
  ASSERT_NE(m, nullptr);
  const MUSIC_NOTE* n = m->patterns[0].notes;
  EXPECT_EQ(n[0].note, 49);
  EXPECT_EQ(n[0].instrument, 3);
  EXPECT_EQ(n[0].volume_column, 0);
  EXPECT_EQ(n[0].effect, 0);
  EXPECT_EQ(n[1].note, 0);
  EXPECT_EQ(n[1].instrument, 7);
  EXPECT_EQ(n[1].volume_column, 0x40);
  EXPECT_EQ(n[1].effect, 0x0f);
  EXPECT_EQ(n[1].effect_param, 6);
  EXPECT_EQ(n[2].note, 61);
  EXPECT_EQ(n[2].effect_param, 0x30);
  EXPECT_EQ(n[3].note, 0);
  EXPECT_EQ(n[4].note, 255);
  EXPECT_EQ(n[5].instrument, 0);
  EXPECT_EQ(n[6].note, 0);
  EXPECT_EQ(n[6].instrument, 1);
  EXPECT_EQ(n[6].effect_param, 4);
  EXPECT_EQ(n[7].effect, 0x0e);
  EXPECT_EQ(n[7].effect_param, 0xd3);
  MUSIC_FreeSong(m);
}

TEST(XmLoaderPatterns, EmptyPatternIsFollowedAtOnceByTheNext) {
  Song song;
  song.channels = 1;
  song.patterns = {Pattern{8, {}}, Pattern{1, {0x81, 25}}};
  song.orders = {1};
  MUSIC_MODULE* m = Load(Build(song));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->patterns[0].row_count, 8);
  for (int r = 0; r < 8; ++r) EXPECT_EQ(m->patterns[0].notes[r].note, 0);
  EXPECT_EQ(m->patterns[1].notes[0].note, 25);
  MUSIC_FreeSong(m);
}

TEST(XmLoaderPatterns, PackedSizeBoundsThePattern) {
  Song song;
  song.channels = 2;
  song.orders = {0, 1};
  song.song_length = 2;
  // Cut short after the first cell: the other three stay empty.
  Pattern short_pattern{2, {0x81, 30}};
  // Longer than its cells: the next pattern starts after all of it.
  Pattern padded{1, {0x81, 31, 0x81, 32, 0x81, 33, 0x81}};
  // A longer header than usual: its data starts after all of it.
  Pattern last{1, {0x81, 34, 0x80}, 20};
  song.patterns = {short_pattern, padded, last};
  MUSIC_MODULE* m = Load(Build(song));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->patterns[0].notes[0].note, 30);
  for (int c = 1; c < 4; ++c) EXPECT_EQ(m->patterns[0].notes[c].note, 0);
  EXPECT_EQ(m->patterns[1].notes[0].note, 31);
  EXPECT_EQ(m->patterns[1].notes[1].note, 32);
  EXPECT_EQ(m->patterns[2].notes[0].note, 34);
  MUSIC_FreeSong(m);
}

TEST(XmLoaderPatterns, TruncatedPatternDataIsRejected) {
  Song song;
  song.channels = 2;
  song.patterns[0].rows = 4;
  song.patterns[0].packed = std::vector<std::uint8_t>(40, 1);  // eight plain five-byte cells
  std::vector<std::uint8_t> bytes = Build(song);
  bytes.resize(bytes.size() - 10);
  EXPECT_EQ(Load(bytes), nullptr);
  bytes.resize(100);  // inside the module header
  EXPECT_EQ(Load(bytes), nullptr);
}

TEST(XmLoaderInstruments, SampleCountsAndEmptyInstruments) {
  Song song;
  Instrument empty;
  empty.header_size = 40;  // reading goes on at its start + this size
  Instrument one;
  one.samples.push_back(Sample{{1, 2, 3}});
  song.instruments = {empty, one};
  MUSIC_MODULE* m = Load(Build(song));
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->instrument_count, 2);
  EXPECT_EQ(m->instruments[0].sample_count, 0);
  for (int s = 0; s < 16; ++s) EXPECT_EQ(m->instruments[0].samples[s], &MUSIC_DummySample);
  EXPECT_EQ(m->instruments[1].sample_count, 1);
  EXPECT_EQ(m->instruments[1].samples[0]->length, 3u);
  for (int s = 1; s < 16; ++s) EXPECT_EQ(m->instruments[1].samples[s], &MUSIC_DummySample);
  MUSIC_FreeSong(m);

  Instrument seventeen;
  for (int s = 0; s < 17; ++s) seventeen.samples.push_back(Sample{{0}});
  song.instruments = {one, seventeen};
  EXPECT_EQ(Load(Build(song)), nullptr);
}

TEST(XmLoaderSamples, SixteenBitLengthsAndOddByteCounts) {
  Sample wide;
  wide.type = 0x10;
  wide.data.assign(1001, 0);  // odd: the last byte is skipped with the sample
  Sample after;
  after.data = {5, 1};
  Song song;
  Instrument ins;
  ins.samples = {wide, after};
  song.instruments.push_back(ins);
  MUSIC_MODULE* m = Load(Build(song));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->instruments[0].samples[0]->length, 500u);
  EXPECT_EQ(m->instruments[0].samples[0]->bits, 16);
  // The following sample starts where the file puts it.
  EXPECT_EQ(m->instruments[0].samples[1]->data[0], 5 * 256);
  EXPECT_EQ(m->instruments[0].samples[1]->data[1], 6 * 256);
  MUSIC_FreeSong(m);
}

TEST(XmLoaderSamples, DeltaDecodingForBothWidths) {
  Sample narrow;
  narrow.data = {1, 1, 1, 0x7e};  // 1, 2, 3, then wrapping past 127
  Sample wide;
  wide.type = 0x10;
  wide.data = {0x00, 0x7f, 0x00, 0x02};  // 0x7f00 + 0x0200 wraps to 0x8100
  Song song;
  Instrument ins;
  ins.samples = {narrow, wide};
  song.instruments.push_back(ins);
  MUSIC_MODULE* m = Load(Build(song));
  ASSERT_NE(m, nullptr);
  const MUSIC_SAMPLE* s8 = m->instruments[0].samples[0];
  EXPECT_EQ(s8->bits, 16);
  EXPECT_EQ(s8->data[0], 256);
  EXPECT_EQ(s8->data[1], 512);
  EXPECT_EQ(s8->data[2], 768);
  EXPECT_EQ(s8->data[3], -127 * 256);
  EXPECT_EQ(s8->data[4], 0);  // not looping: the sample after the end stays 0
  const MUSIC_SAMPLE* s16 = m->instruments[0].samples[1];
  EXPECT_EQ(s16->data[0], 0x7f00);
  EXPECT_EQ(s16->data[1], static_cast<std::int16_t>(0x8100));
  MUSIC_FreeSong(m);
}

TEST(XmLoaderSamples, LoopModesAndGuardSamples) {
  Sample forward;
  forward.data = {10, 1, 1, 1, 1, 1, 1, 1};  // 10..17 once decoded
  forward.type = 1;
  forward.loop_start = 2;
  forward.loop_length = 4;
  Sample both = forward;
  both.type = 3;
  Sample empty_loop = forward;
  empty_loop.loop_length = 0;
  Sample beyond = forward;
  beyond.loop_start = 5;
  beyond.loop_length = 100;
  Sample start_beyond = forward;
  start_beyond.loop_start = 8;
  Song song;
  Instrument ins;
  ins.samples = {forward, both, empty_loop, beyond, start_beyond};
  song.instruments.push_back(ins);
  MUSIC_MODULE* m = Load(Build(song));
  ASSERT_NE(m, nullptr);
  MUSIC_SAMPLE* const* s = m->instruments[0].samples;

  EXPECT_EQ(s[0]->loop_mode, LOOP_NORMAL);
  EXPECT_EQ(s[0]->data[6], s[0]->data[2]);  // the loop start repeated after the loop end
  EXPECT_EQ(s[0]->data[6], 12 * 256);

  EXPECT_EQ(s[1]->loop_mode, LOOP_BIDI);
  EXPECT_EQ(s[1]->data[6], s[1]->data[5]);  // the loop's last sample repeated
  EXPECT_EQ(s[1]->data[6], 15 * 256);

  EXPECT_EQ(s[2]->loop_mode, LOOP_OFF);
  EXPECT_EQ(s[2]->loop_start, 0u);
  EXPECT_EQ(s[2]->loop_length, 8u);

  EXPECT_EQ(s[3]->loop_mode, LOOP_NORMAL);
  EXPECT_EQ(s[3]->loop_start, 5u);
  EXPECT_EQ(s[3]->loop_length, 3u);
  EXPECT_EQ(s[3]->data[8], s[3]->data[5]);

  EXPECT_EQ(s[4]->loop_mode, LOOP_OFF);
  EXPECT_EQ(s[4]->loop_start, 0u);
  EXPECT_EQ(s[4]->loop_length, 8u);
  MUSIC_FreeSong(m);
}

struct CallbackCall {
  std::int32_t bytes, bits, instrument, sample;
};
std::vector<CallbackCall> callback_calls;

void FillWithMarker(void* buffer, std::int32_t bytes, std::int32_t bits, std::int32_t instrument,
                    std::int32_t sample) {
  callback_calls.push_back({bytes, bits, instrument, sample});
  auto* b = static_cast<std::uint8_t*>(buffer);
  for (std::int32_t k = 0; k < bytes; ++k) b[k] = 1;
}

TEST(XmLoaderSamples, SampleLoadCallbackReplacesTheFileData) {
  Sample narrow;
  narrow.data = {9, 9, 9};
  Sample wide;
  wide.type = 0x10;
  wide.data = {9, 9, 9, 9};
  Instrument first;
  first.samples = {narrow, wide};
  Instrument second;
  second.samples = {Sample{{7}}};
  Song song;
  song.instruments = {first, second};
  callback_calls.clear();
  MUSIC_MODULE* m = Load(Build(song), FillWithMarker);
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(callback_calls.size(), 3u);
  EXPECT_EQ(callback_calls[0].bytes, 3);
  EXPECT_EQ(callback_calls[0].bits, 8);
  EXPECT_EQ(callback_calls[1].bytes, 4);
  EXPECT_EQ(callback_calls[1].bits, 16);
  EXPECT_EQ(callback_calls[1].instrument, 0);
  EXPECT_EQ(callback_calls[1].sample, 1);
  EXPECT_EQ(callback_calls[2].instrument, 1);
  EXPECT_EQ(callback_calls[2].sample, 0);
  // No delta decoding: every value is the callback's own.
  const MUSIC_SAMPLE* s8 = m->instruments[0].samples[0];
  for (int k = 0; k < 3; ++k) EXPECT_EQ(s8->data[k], 256);
  const MUSIC_SAMPLE* s16 = m->instruments[0].samples[1];
  EXPECT_EQ(s16->length, 2u);
  for (int k = 0; k < 2; ++k) EXPECT_EQ(s16->data[k], 0x0101);
  // The file position moved past the data: the second instrument was found.
  ASSERT_EQ(m->instrument_count, 2);
  EXPECT_EQ(m->instruments[1].samples[0]->length, 1u);
  MUSIC_FreeSong(m);
}

TEST(XmLoaderEnvelopes, RepairedAtLoad) {
  Instrument ins;
  ins.samples.push_back(Sample{{0}});
  ins.volume.points = {{0, 64}};
  ins.volume.flags = 7;  // on, sustain, loop: but one point is no envelope
  ins.pan.points = {{0, 32}, {4, 200}, {8, 10}, {8, 20}, {12, 0}};
  ins.pan.flags = 5;
  ins.pan.loop_start = 1;
  ins.pan.loop_end = 4;  // names a point cut away below
  ins.fadeout = 0x1234;
  Song song;
  song.instruments.push_back(ins);
  MUSIC_MODULE* m = Load(Build(song));
  ASSERT_NE(m, nullptr);
  const MUSIC_INSTRUMENT& i = m->instruments[0];
  EXPECT_EQ(i.volume_envelope_flags, 0);
  EXPECT_EQ(i.pan_point_count, 3);    // the tick that does not increase ends the envelope
  EXPECT_EQ(i.pan_points[1].value, 64);  // values above 64 are cut to 64
  EXPECT_EQ(i.pan_envelope_flags, 1);    // the loop named a lost point: loop off
  EXPECT_EQ(i.fadeout, 0x2468);
  MUSIC_FreeSong(m);

  ins.volume.points = {{0, 64}, {10, 0}};
  ins.volume.count_override = 200;
  song.instruments = {ins};
  m = Load(Build(song));
  ASSERT_NE(m, nullptr);
  // Beyond the two real points the file holds ticks of 0: they end the envelope there.
  EXPECT_EQ(m->instruments[0].volume_point_count, 2);
  EXPECT_EQ(m->instruments[0].volume_envelope_flags, 7);  // sustain and loop name kept points
  MUSIC_FreeSong(m);
}

TEST(XmLoaderTruncation, InstrumentsKeepWhatIsComplete) {
  Sample big;
  big.data.assign(100, 1);
  Instrument first;
  first.samples = {big};
  Instrument second;
  second.samples = {Sample{{1, 1}}};
  Song song;
  song.instruments = {first, second};
  std::vector<std::uint8_t> whole = Build(song);

  // Cut inside the second instrument's header: it is dropped, the first stays.
  std::vector<std::uint8_t> cut(whole.begin(), whole.end() - 2 - 40 - 100);
  MUSIC_MODULE* m = Load(cut);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->instrument_count, 1);
  EXPECT_EQ(m->instruments[0].samples[0]->length, 100u);
  MUSIC_FreeSong(m);

  // Cut inside the first sample's data: the sample keeps the 30 bytes present.
  std::size_t data_start = whole.size() - 2 - 40 - 263 - 100;
  cut.assign(whole.begin(), whole.begin() + static_cast<long>(data_start + 30));
  m = Load(cut);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->instrument_count, 1);
  const MUSIC_SAMPLE* s = m->instruments[0].samples[0];
  EXPECT_EQ(s->length, 30u);
  EXPECT_EQ(s->data[29], 30 * 256);
  MUSIC_FreeSong(m);
}

TEST(XmLoaderTruncation, SampleLengthsBeyondTheFileDoNotAllocate) {
  Sample huge;
  huge.length_from_data = false;
  huge.length_bytes = 0xfffffff0u;
  huge.type = 0x11;
  huge.loop_length = 0xffffff00u;
  huge.data = {1, 2, 3, 4};
  MUSIC_MODULE* m = Load(Build(OneSampleSong(huge)));
  ASSERT_NE(m, nullptr);
  const MUSIC_SAMPLE* s = m->instruments[0].samples[0];
  EXPECT_EQ(s->length, 2u);
  EXPECT_LE(static_cast<std::uint64_t>(s->loop_start) + s->loop_length, s->length);
  MUSIC_FreeSong(m);
}

TEST(XmLoaderFree, NullModuleAndEmptySource) {
  EXPECT_EQ(MUSIC_FreeSong(nullptr), 0);
  EXPECT_EQ(Load({}), nullptr);
}

}  // namespace
