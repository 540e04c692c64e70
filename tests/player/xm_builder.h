// Builds XM files byte by byte for the loader and engine tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "player/music.h"

namespace xmtest {

struct Sample {
  std::vector<std::uint8_t> data;  // bytes as the file stores them (delta-coded)
  bool length_from_data = true;
  std::uint32_t length_bytes = 0;  // used when !length_from_data
  std::uint32_t loop_start = 0;
  std::uint32_t loop_length = 0;
  std::uint8_t volume = 64;
  std::int8_t finetune = 0;
  std::uint8_t type = 0;
  std::uint8_t pan = 128;
  std::int8_t relative_note = 0;
};

struct Envelope {
  std::vector<MUSIC_ENVELOPE_POINT> points;  // up to 12 are written
  std::uint8_t count_override = 0;           // written instead of points.size() when non-zero
  std::uint8_t sustain = 0, loop_start = 0, loop_end = 0, flags = 0;
};

struct Instrument {
  std::vector<Sample> samples;
  std::uint16_t sample_count_override = 0xffff;  // written instead of samples.size() unless 0xffff
  std::uint8_t note_map[96] = {};
  Envelope volume, pan;
  std::uint8_t vibrato_type = 0, vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
  std::uint16_t fadeout = 0;
  std::uint32_t header_size = 263;
};

struct Pattern {
  std::uint16_t rows = 64;
  std::vector<std::uint8_t> packed;  // empty: packed size 0
  std::uint32_t header_length = 9;
};

struct Song {
  std::uint16_t song_length = 1, restart = 0, channels = 2, flags = 1, speed = 6, bpm = 125;
  std::vector<std::uint8_t> orders = {0};
  std::vector<Pattern> patterns = {Pattern{}};
  std::vector<Instrument> instruments;
  std::uint32_t header_size = 276;
};

inline void Put8(std::vector<std::uint8_t>& out, unsigned v) { out.push_back(static_cast<std::uint8_t>(v)); }
inline void Put16(std::vector<std::uint8_t>& out, unsigned v) {
  Put8(out, v & 0xff);
  Put8(out, (v >> 8) & 0xff);
}
inline void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xffff);
  Put16(out, v >> 16);
}

// Cells of `rows` x `channels`, each written unpacked (five bytes, leading note byte).
inline std::vector<std::uint8_t> Unpacked(const std::vector<MUSIC_NOTE>& cells) {
  std::vector<std::uint8_t> out;
  for (const MUSIC_NOTE& n : cells) {
    out.insert(out.end(), {n.note, n.instrument, n.volume_column, n.effect, n.effect_param});
  }
  return out;
}

inline std::vector<std::uint8_t> Build(const Song& song) {
  // Built from the signature rather than inserted into an empty vector: GCC 12 warns, wrongly,
  // that such an insert overflows.
  const char* sig = "Extended Module: ";
  std::vector<std::uint8_t> out(sig, sig + 17);
  out.resize(60, 0);
  out[37] = 0x1a;
  Put32(out, song.header_size);
  Put16(out, song.song_length);
  Put16(out, song.restart);
  Put16(out, song.channels);
  Put16(out, static_cast<unsigned>(song.patterns.size()));
  Put16(out, static_cast<unsigned>(song.instruments.size()));
  Put16(out, song.flags);
  Put16(out, song.speed);
  Put16(out, song.bpm);
  for (int o = 0; o < 256; ++o) Put8(out, o < static_cast<int>(song.orders.size()) ? song.orders[o] : 0);
  out.resize(60 + song.header_size, 0);
  for (const Pattern& p : song.patterns) {
    std::size_t start = out.size();
    Put32(out, p.header_length);
    Put8(out, 0);
    Put16(out, p.rows);
    Put16(out, static_cast<unsigned>(p.packed.size()));
    out.resize(start + p.header_length, 0xee);
    out.insert(out.end(), p.packed.begin(), p.packed.end());
  }
  for (const Instrument& ins : song.instruments) {
    std::size_t start = out.size();
    Put32(out, ins.header_size);
    out.resize(out.size() + 23, 0);
    unsigned count = ins.sample_count_override != 0xffff ? ins.sample_count_override
                                                         : static_cast<unsigned>(ins.samples.size());
    Put16(out, count);
    if (count > 0) {
      Put32(out, 40);
      out.insert(out.end(), ins.note_map, ins.note_map + 96);
      for (const Envelope* e : {&ins.volume, &ins.pan}) {
        for (int k = 0; k < 12; ++k) {
          MUSIC_ENVELOPE_POINT p = k < static_cast<int>(e->points.size()) ? e->points[k] : MUSIC_ENVELOPE_POINT{0, 0};
          Put16(out, p.tick);
          Put16(out, p.value);
        }
      }
      Put8(out, ins.volume.count_override ? ins.volume.count_override : ins.volume.points.size());
      Put8(out, ins.pan.count_override ? ins.pan.count_override : ins.pan.points.size());
      Put8(out, ins.volume.sustain);
      Put8(out, ins.volume.loop_start);
      Put8(out, ins.volume.loop_end);
      Put8(out, ins.pan.sustain);
      Put8(out, ins.pan.loop_start);
      Put8(out, ins.pan.loop_end);
      Put8(out, ins.volume.flags);
      Put8(out, ins.pan.flags);
      Put8(out, ins.vibrato_type);
      Put8(out, ins.vibrato_sweep);
      Put8(out, ins.vibrato_depth);
      Put8(out, ins.vibrato_rate);
      Put16(out, ins.fadeout);
    }
    out.resize(start + ins.header_size, 0);
    for (const Sample& s : ins.samples) {
      Put32(out, s.length_from_data ? static_cast<std::uint32_t>(s.data.size()) : s.length_bytes);
      Put32(out, s.loop_start);
      Put32(out, s.loop_length);
      Put8(out, s.volume);
      Put8(out, static_cast<std::uint8_t>(s.finetune));
      Put8(out, s.type);
      Put8(out, s.pan);
      Put8(out, static_cast<std::uint8_t>(s.relative_note));
      out.resize(out.size() + 23, 0);
    }
    for (const Sample& s : ins.samples) out.insert(out.end(), s.data.begin(), s.data.end());
  }
  return out;
}

}  // namespace xmtest
