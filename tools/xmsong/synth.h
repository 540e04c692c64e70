// Instrument recipes and the synthesiser that turns them into sample data: additive
// band-limited oscillators (their filters applied per harmonic, so loops stay seamless),
// filtered noise, per-layer envelopes, then drive, normalising and the fit to 8 or 16 bits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xm_file.h"

namespace xmsong {

enum class Wave { kSine, kSaw, kSquare, kTriangle, kNoise };
enum class Filter { kNone, kLowPass, kHighPass, kBandPass };

struct Layer {
  Wave wave = Wave::kSine;
  double ratio = 1.0;   // frequency as a multiple of the sample's base (pitched samples)
  double semis = 0.0;   // plus semitones
  double cents = 0.0;   // plus cents
  double hz = 0.0;      // absolute start frequency; overrides the base when > 0
  double hz_to = 0.0;   // glide target, 0 = no glide
  double hz_glide = 0.0;  // glide time constant in seconds
  double amp = 1.0;
  double attack = 0.0;   // seconds of linear rise
  double decay = 0.0;    // time constant of the fall towards `sustain`; 0 = no fall
  double sustain = 0.0;
  double delay = 0.0;    // seconds of silence before the layer starts
  Filter filter = Filter::kNone;
  double cutoff = 0.0;
  double cutoff_to = 0.0;
  double cutoff_glide = 0.0;
  double q = 0.7071;
  std::uint32_t seed = 1;  // noise
  double phase = 0.0;      // start phase in cycles
};

struct SampleRecipe {
  std::string name;
  bool sixteen_bit = false;
  double rate = 22050.0;   // synthesis rate
  double length = 0.1;     // seconds
  double base = 0.0;       // Hz that note C-4 sounds at; 0 = unpitched, C-4 plays at `rate`
  LoopMode loop = LoopMode::kNone;
  double loop_start = 0.0;   // seconds
  double loop_length = 0.0;  // seconds
  double drive = 0.0;        // tanh saturation amount, 0 = clean
  double peak = 0.9;         // normalised peak, 0..1
  double fade = 0.0;         // seconds faded to zero at the end (one-shots)
  std::uint8_t volume = 64;
  std::uint8_t pan = 128;
  std::vector<Layer> layers;
};

// Relative note and finetune (1/128 semitone) that make a sample synthesised at `rate` with
// C-4 at `base` Hz (or unpitched, base 0) sound right with the linear frequency table.
void TuneFor(double rate, double base, std::int8_t* relative_note, std::int8_t* finetune);

// Renders the recipe into an XM sample. The loop length is kept as given; forward-looping
// pitched layers are nudged to a whole number of cycles per loop.
Sample Synthesise(const SampleRecipe& recipe);

}  // namespace xmsong
