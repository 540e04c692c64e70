#include "synth.h"

#include <algorithm>
#include <cmath>

namespace xmsong {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMiddleC = 261.6255653005986;  // what C-4 means in the song's notation
constexpr double kC4Rate = 8363.0;              // playback rate of C-4 with no tuning

// Magnitude of a two-pole filter at `f` for cutoff `fc`.
double FilterGain(Filter filter, double f, double fc, double q) {
  if (filter == Filter::kNone || fc <= 0.0) return 1.0;
  const double x = f / fc;
  const double den = std::sqrt((1.0 - x * x) * (1.0 - x * x) + (x / q) * (x / q));
  switch (filter) {
    case Filter::kLowPass: return 1.0 / den;
    case Filter::kHighPass: return x * x / den;
    case Filter::kBandPass: return (x / q) / den;
    case Filter::kNone: break;
  }
  return 1.0;
}

double Glide(double from, double to, double tau, double t) {
  if (to <= 0.0 || tau <= 0.0) return from;
  return to + (from - to) * std::exp(-t / tau);
}

double Envelope(const Layer& l, double t) {
  if (t < 0.0) return 0.0;
  if (l.attack > 0.0 && t < l.attack) return t / l.attack;
  if (l.decay <= 0.0) return 1.0;
  const double td = t - l.attack;
  return l.sustain + (1.0 - l.sustain) * std::exp(-td / l.decay);
}

// Harmonic k's amplitude and phase offset for a periodic wave (sine phase convention).
double HarmonicAmplitude(Wave wave, int k) {
  switch (wave) {
    case Wave::kSine: return k == 1 ? 1.0 : 0.0;
    case Wave::kSaw: return 1.0 / k;
    case Wave::kSquare: return (k % 2) ? 1.0 / k : 0.0;
    case Wave::kTriangle: return (k % 2) ? ((k % 4 == 1) ? 1.0 : -1.0) / (double(k) * k) : 0.0;
    case Wave::kNoise: break;
  }
  return 0.0;
}

class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
  double Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return double(std::int32_t(state_)) / 2147483648.0;
  }

 private:
  std::uint32_t state_;
};

// Trapezoidal state-variable filter, used on noise where there is no spectrum to shape.
class StateVariableFilter {
 public:
  double Run(Filter kind, double in, double fc, double q, double rate) {
    if (kind == Filter::kNone || fc <= 0.0) return in;
    const double g = std::tan(kPi * std::min(fc, rate * 0.49) / rate);
    const double k = 1.0 / q;
    const double a1 = 1.0 / (1.0 + g * (g + k));
    const double a2 = g * a1;
    const double a3 = g * a2;
    const double v3 = in - ic2_;
    const double v1 = a1 * ic1_ + a2 * v3;
    const double v2 = ic2_ + a2 * ic1_ + a3 * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    switch (kind) {
      case Filter::kLowPass: return v2;
      case Filter::kBandPass: return v1;
      case Filter::kHighPass: return in - k * v1 - v2;
      case Filter::kNone: break;
    }
    return in;
  }

 private:
  double ic1_ = 0.0;
  double ic2_ = 0.0;
};

void RenderLayer(const SampleRecipe& r, const Layer& l, std::size_t count, std::size_t loop_samples,
                 std::vector<double>& out) {
  const double rate = r.rate;
  if (l.wave == Wave::kNoise) {
    Noise noise(l.seed);
    StateVariableFilter svf;
    for (std::size_t n = 0; n < count; ++n) {
      const double t = double(n) / rate;
      const double fc = Glide(l.cutoff, l.cutoff_to, l.cutoff_glide, t);
      const double v = svf.Run(l.filter, noise.Next(), fc, l.q, rate);
      out[n] += l.amp * Envelope(l, t - l.delay) * v;
    }
    return;
  }
  double f0 = l.hz > 0.0 ? l.hz : r.base * l.ratio;
  if (f0 <= 0.0) f0 = kMiddleC * l.ratio;
  f0 *= std::pow(2.0, (l.semis + l.cents / 100.0) / 12.0);
  const bool gliding = l.hz_to > 0.0 && l.hz_glide > 0.0;
  if (loop_samples > 0 && !gliding) {
    // Whole cycles per loop, so the forward loop joins without a step.
    const double cycles = std::max(1.0, std::round(f0 * double(loop_samples) / rate));
    f0 = cycles * rate / double(loop_samples);
  }
  double phase = l.phase;
  for (std::size_t n = 0; n < count; ++n) {
    const double t = double(n) / rate;
    const double f = gliding ? Glide(f0, l.hz_to, l.hz_glide, t) : f0;
    const double fc = Glide(l.cutoff, l.cutoff_to, l.cutoff_glide, t);
    double v = 0.0;
    for (int k = 1; double(k) * f < rate * 0.45; ++k) {
      const double a = HarmonicAmplitude(l.wave, k);
      if (a == 0.0) continue;
      v += a * FilterGain(l.filter, k * f, fc, l.q) * std::sin(2.0 * kPi * k * phase);
    }
    out[n] += l.amp * Envelope(l, t - l.delay) * v;
    phase += f / rate;
    if (loop_samples > 0 && !gliding) {
      phase -= std::floor(phase);
    }
  }
}

}  // namespace

void TuneFor(double rate, double base, std::int8_t* relative_note, std::int8_t* finetune) {
  const double playback = base > 0.0 ? kMiddleC * rate / base : rate;
  const long total = std::lround(12.0 * std::log2(playback / kC4Rate) * 128.0);
  long relative = total >= 0 ? (total + 64) / 128 : -((-total + 63) / 128);
  long fine = total - relative * 128;
  if (fine > 127) {  // cannot happen with the rounding above; kept for safety
    fine -= 128;
    relative += 1;
  }
  *relative_note = std::int8_t(std::clamp(relative, -96L, 95L));
  *finetune = std::int8_t(std::clamp(fine, -128L, 127L));
}

Sample Synthesise(const SampleRecipe& r) {
  Sample s;
  s.name = r.name;
  s.sixteen_bit = r.sixteen_bit;
  s.volume = r.volume;
  s.pan = r.pan;
  s.loop = r.loop;

  const std::size_t count = std::size_t(std::max(1L, std::lround(r.length * r.rate)));
  std::size_t loop_start = 0;
  std::size_t loop_length = 0;
  if (r.loop != LoopMode::kNone) {
    loop_start = std::size_t(std::max(0L, std::lround(r.loop_start * r.rate)));
    loop_length = std::size_t(std::max(1L, std::lround(r.loop_length * r.rate)));
    loop_start = std::min(loop_start, count - 1);
    loop_length = std::min(loop_length, count - loop_start);
  }
  std::vector<double> mix(count, 0.0);
  const std::size_t periodic = r.loop == LoopMode::kForward ? loop_length : 0;
  SampleRecipe tuned = r;
  if (periodic > 0 && r.base > 0.0) {
    // The base itself gets whole cycles per loop, and the tuning follows the base played.
    const double cycles = std::max(1.0, std::round(r.base * double(periodic) / r.rate));
    tuned.base = cycles * r.rate / double(periodic);
  }
  TuneFor(tuned.rate, tuned.base, &s.relative_note, &s.finetune);
  for (const Layer& layer : tuned.layers) RenderLayer(tuned, layer, count, periodic, mix);

  if (r.drive > 0.0) {
    const double norm = std::tanh(r.drive);
    for (double& v : mix) v = std::tanh(v * r.drive) / norm;
  }
  if (r.loop == LoopMode::kNone && r.fade > 0.0) {
    const std::size_t fade = std::min(count, std::size_t(std::lround(r.fade * r.rate)));
    for (std::size_t i = 0; i < fade; ++i) mix[count - 1 - i] *= double(i) / double(fade);
  }
  double peak = 0.0;
  for (double v : mix) peak = std::max(peak, std::fabs(v));
  const double scale = peak > 0.0 ? r.peak / peak : 0.0;
  const double full = r.sixteen_bit ? 32767.0 : 127.0;
  s.pcm.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const double v = std::clamp(std::round(mix[i] * scale * full), -full, full);
    s.pcm[i] = std::int16_t(v);
  }
  s.loop_start = std::uint32_t(loop_start);
  s.loop_length = std::uint32_t(loop_length);
  return s;
}

}  // namespace xmsong
