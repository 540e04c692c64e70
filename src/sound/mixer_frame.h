// The arithmetic of one mixed frame and of the cursor, shared by every voice kernel, so that
// frames a vector kernel mixes one at a time are the scalar ones, operation for operation.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "sound/mixer.h"

namespace mixer_frame {

constexpr std::uint32_t kBeforeFirstSample = 0xFFFFFFFFu;

// A ping-pong turn exactly on a loop that starts at sample 0 leaves the cursor a hair below
// it; the sample before the data is taken to equal the first one (its weight is < 0.0002).
inline std::int32_t SampleAt(const std::int16_t* data, std::uint32_t index) {
  return index == kBeforeFirstSample ? data[0] : data[index];
}

// One frame's interpolated sample value at the cursor.
inline double Interpolate(const std::int16_t* data, std::uint64_t cursor) {
  const std::uint32_t index = std::uint32_t(cursor >> 32);
  const std::uint32_t fraction = std::uint32_t(cursor);
  const double weight = double(fraction >> 1) * double(mix_1over2gig);
  const std::int32_t a = SampleAt(data, index);
  const std::int32_t b = data[std::uint32_t(index + 1)];
  return double(a) + weight * double(b - a);
}

// The next cursor: the fraction's lowest bit is dropped before the advance is added.
inline std::uint64_t Advance(std::uint64_t cursor, std::uint64_t advance) {
  return (cursor & ~std::uint64_t(1)) + advance;
}

// From the second frame of a run on, the lowest bit of the cursor no longer changes, so every
// later advance is this same amount: frame n of a run sits at cursor(1) + (n - 1) x stride.
inline std::uint64_t Stride(std::uint64_t advance) { return advance & ~std::uint64_t(1); }

// The cursor after `frames` frames from `cursor`.
inline std::uint64_t AdvanceFrames(std::uint64_t cursor, std::uint64_t advance, std::uint64_t frames) {
  if (frames == 0) return cursor;
  return Advance(cursor, advance) + (frames - 1) * Stride(advance);
}

// Adds `value` at the two gains to one output frame; each sum is rounded to single on store.
inline void AddFrame(float* out, double value, double gain_left, double gain_right) {
  out[0] = float(double(out[0]) + value * gain_left);
  out[1] = float(double(out[1]) + value * gain_right);
}

// A run's frames as one arithmetic series: frame i reads as the cursor SeriesStart + i x
// stride would. Frame 0 reads at `cursor` itself, which differs from the series' start at most
// in its lowest bit, and that bit takes no part in the read (index, and fraction >> 1).
inline std::uint64_t SeriesStart(std::uint64_t cursor, std::uint64_t advance) {
  return Advance(cursor, advance) - Stride(advance);
}

// Whether every frame of the run reads samples within -1 ... 2^30 (the -1 of a ping-pong turn
// at sample 0 included), so that vector kernels may address them with signed 32-bit indices.
// Holds for every real voice; a run that fails it is mixed frame by frame, reading exactly
// what the scalar kernel reads.
inline bool IndicesFitVectors(std::uint64_t cursor, std::uint64_t advance, std::uint64_t frames) {
  constexpr std::int64_t kLimit = std::int64_t(1) << 30;
  constexpr std::int64_t kStrideLimit = std::int64_t(1) << 40;  // 256 samples per frame
  const std::int64_t stride = std::int64_t(Stride(advance));
  if (frames < 1 || frames > (std::uint64_t(1) << 20) || stride >= kStrideLimit || stride <= -kStrideLimit) return false;
  // Signed, the series has no overflow, so its two ends bound every index between them.
  const std::int64_t first = std::int64_t(SeriesStart(cursor, advance));
  if ((first >> 32) < -1 || (first >> 32) >= kLimit) return false;
  const std::int64_t last = first + std::int64_t(frames - 1) * stride;
  return (last >> 32) >= -1 && (last >> 32) < kLimit;
}

// For a run that IndicesFitVectors accepts: whether a frame of it reads at index -1 (a
// ping-pong turn exactly at a loop starting at sample 0). The series is monotonic, so only its
// ends can be there.
inline bool ReachesBeforeData(std::uint64_t cursor, std::uint64_t advance, std::uint64_t frames) {
  const std::int64_t first = std::int64_t(SeriesStart(cursor, advance));
  const std::int64_t last = first + std::int64_t(frames - 1) * std::int64_t(Stride(advance));
  return (first >> 32) == -1 || (last >> 32) == -1;
}

// The exponent of the lowest set bit of a finite, nonzero x: x is a whole multiple of 2^that.
inline int LowestBitExponent(double x) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  const int biased = int((bits >> 52) & 0x7FF);
  std::uint64_t mantissa = bits & ((std::uint64_t(1) << 52) - 1);
  int exponent = -1074;  // a subnormal's
  if (biased != 0) {
    mantissa |= std::uint64_t(1) << 52;
    exponent = biased - 1075;
  }
  return exponent + __builtin_ctzll(mantissa);
}

// Whether a ramp side from `gain`, moved by `delta` after each of `frames` frames, only ever
// makes exact sums. Then the gain of frame k is gain + k x delta itself, so a kernel may
// compute any frame's gain without the frames before it and still have the bits of the
// frame-by-frame sums. Every ramp the player plans qualifies, at any rate: its gain is a ramp
// level (17 bits) times the 24-bit single 1/255, a multiple of 2^-39, and its delta a single of
// at least 2^-18 in size (or 0), a multiple of 2^-41; every sum is a multiple of 2^-41 well
// below 2^12, which a double holds exactly.
// The test: all of gain + k x delta, k = 0 ... frames, are whole multiples of 2^q (q the lower
// of the two lowest bits) below 2^(q + 53) in size, so each is a double. A gain of -0 is left
// out, as -0 + 0 x delta would be +0.
inline bool RampIsExactSeries(double gain, double delta, std::uint64_t frames) {
  if (!std::isfinite(gain) || !std::isfinite(delta) || frames > (std::uint64_t(1) << 32)) return false;
  if (gain == 0.0 && std::signbit(gain)) return false;
  if (gain == 0.0 && delta == 0.0) return true;
  int lowest = 1024;
  if (gain != 0.0) lowest = LowestBitExponent(gain);
  if (delta != 0.0) lowest = std::min(lowest, LowestBitExponent(delta));
  // 2^(q + 52): a normal double for every q a finite double can have (-1074 ... 971).
  const std::uint64_t limit_bits = std::uint64_t(lowest + 52 + 1023) << 52;
  double limit = 0.0;
  std::memcpy(&limit, &limit_bits, sizeof limit);
  // Each part below 2^(q + 52), so every sum is below 2^(q + 53). The product may round, but
  // never down past the power of two it is compared with.
  return std::fabs(gain) < limit && double(frames) * std::fabs(delta) < limit;
}

}  // namespace mixer_frame
