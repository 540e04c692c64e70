// An XM module as our song generator builds it, and its writer: a standard FastTracker 2
// file (version 0x0104) that our own loader and other trackers read alike.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xmsong {

struct Cell {
  std::uint8_t note = 0;  // 0 none, 1..96, 97 key off
  std::uint8_t instrument = 0;
  std::uint8_t volume = 0;  // the volume-column byte
  std::uint8_t effect = 0;
  std::uint8_t param = 0;
  bool Empty() const { return !note && !instrument && !volume && !effect && !param; }
};

struct Pattern {
  std::string name;
  int rows = 0;
  std::vector<Cell> cells;  // rows x channels, row-major
};

struct EnvelopePoint {
  std::uint16_t tick = 0;
  std::uint16_t value = 0;
};

struct Envelope {
  std::vector<EnvelopePoint> points;  // at most 12
  bool on = false;
  int sustain = -1;     // point index, -1 = none
  int loop_start = -1;  // point indices, -1 = no loop
  int loop_end = -1;
};

enum class LoopMode : std::uint8_t { kNone = 0, kForward = 1, kPingPong = 2 };

struct Sample {
  std::string name;
  bool sixteen_bit = false;
  std::vector<std::int16_t> pcm;  // 8-bit samples use the range -128..127
  std::uint32_t loop_start = 0;   // in samples
  std::uint32_t loop_length = 0;  // in samples
  LoopMode loop = LoopMode::kNone;
  std::uint8_t volume = 64;
  std::int8_t finetune = 0;
  std::uint8_t pan = 128;
  std::int8_t relative_note = 0;
};

struct Instrument {
  std::string name;
  std::vector<Sample> samples;       // at most 16
  std::uint8_t sample_for_note[96] = {};
  Envelope volume_envelope;
  Envelope pan_envelope;
  std::uint8_t vibrato_type = 0;
  std::uint8_t vibrato_sweep = 0;
  std::uint8_t vibrato_depth = 0;
  std::uint8_t vibrato_rate = 0;
  std::uint16_t fadeout = 0;  // as the file stores it
};

struct Module {
  std::string name;
  int channels = 0;
  int speed = 6;
  int bpm = 125;
  bool linear_frequencies = true;
  int restart_order = 0;
  std::vector<int> orders;  // pattern indices
  std::vector<Pattern> patterns;
  std::vector<Instrument> instruments;
};

// Checks the module against what the format can hold; the empty string when it fits.
std::string Validate(const Module& module);

// The file image. Only call with a module that Validate accepts.
std::vector<std::uint8_t> WriteXm(const Module& module);

// Bytes the packed cells of one pattern take.
std::vector<std::uint8_t> PackPattern(const Pattern& pattern, int channels);

}  // namespace xmsong
