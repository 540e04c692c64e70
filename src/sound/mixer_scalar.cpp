// The reference kernels: one frame at a time (two while the gains hold), in plain C++.

#include "sound/mixer_frame.h"
#include "sound/mixer_kernels.h"

namespace {

using mixer_frame::AddFrame;
using mixer_frame::Advance;
using mixer_frame::Interpolate;

std::uint64_t MixSteady(const MixRun& run, double gain_left, double gain_right) {
  float* out = run.out;
  std::uint64_t cursor = run.cursor;
  std::uint64_t i = 0;
  for (; i + 1 < run.frames; i += 2) {
    const double first = Interpolate(run.data, cursor);
    cursor = Advance(cursor, run.advance);
    const double second = Interpolate(run.data, cursor);
    cursor = Advance(cursor, run.advance);
    AddFrame(out, first, gain_left, gain_right);
    AddFrame(out + 2, second, gain_left, gain_right);
    out += 4;
  }
  if (i < run.frames) {
    AddFrame(out, Interpolate(run.data, cursor), gain_left, gain_right);
    cursor = Advance(cursor, run.advance);
  }
  return cursor;
}

std::uint64_t MixRamp(const MixRun& run, RampGains* gains) {
  float* out = run.out;
  std::uint64_t cursor = run.cursor;
  double left = gains->left;
  double right = gains->right;
  for (std::uint64_t i = 0; i < run.frames; ++i) {
    // The gain is applied before it moves.
    AddFrame(out, Interpolate(run.data, cursor), left, right);
    left += gains->delta_left;
    right += gains->delta_right;
    out += 2;
    cursor = Advance(cursor, run.advance);
  }
  gains->left = left;
  gains->right = right;
  return cursor;
}

void ClipCopy(std::int16_t* destination, const float* source, std::int64_t samples) {
  // Adding and taking away 1.5 x 2^23 leaves a float below 2^22 in size rounded to a whole
  // number in the default nearest-even mode, as lrintf would, without a call per sample.
  constexpr float kRounder = 12582912.0f;
  for (std::int64_t i = 0; i < samples; ++i) {
    // Clamped before rounding, so that overloads beyond the integer range (and infinities)
    // saturate on their own side; NaN, which compares false, goes to the bottom.
    float value = source[i];
    if (!(value >= -32768.0f)) value = -32768.0f;
    if (value > 32767.0f) value = 32767.0f;
    const float rounded = value + kRounder;
    destination[i] = static_cast<std::int16_t>(rounded - kRounder);
  }
}

constexpr MixKernels kScalar{MixSteady, MixRamp, ClipCopy};

}  // namespace

const MixKernels& ScalarKernels() { return kScalar; }
