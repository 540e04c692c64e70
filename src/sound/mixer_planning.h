// How many frames a voice's pass runs before its cursor reaches the loop or sample boundary.
// The count is ceil(distance / step) on 24.8-bit operands. A 64-bit division per pass costs
// more than the rest of a short pass; a reciprocal of the step, made once when the step
// changes, gives the count after one multiply and one compare.
#pragma once

#include <cstdint>

namespace mixer_planning {

// The step as the boundary search sees it: its low 8 integer bits and the top 24 of the
// fraction (steps stay under 256 samples a frame).
inline std::uint32_t SearchStep(std::uint32_t step, std::uint32_t step_fraction) {
  return ((step & 0xFFu) << 24) | (step_fraction >> 8);
}

// The distance as the boundary search sees it, or false when its integer part is 2^24 samples
// or more: then the boundary is too far away to be looked for in this pass.
inline bool SearchDistance(std::uint64_t distance, std::uint64_t* scaled) {
  if ((distance >> 32) >= (std::uint64_t(1) << 24)) return false;
  *scaled = distance >> 8;  // below 2^48
  return true;
}

// ceil(scaled / step), by division: the reference. step > 0.
inline std::uint64_t FramesByDivision(std::uint64_t scaled, std::uint32_t step) {
  std::uint64_t frames = scaled / step;
  if (scaled % step) ++frames;
  return frames;
}

// The reciprocal a step's searches share. step > 0.
inline double Reciprocal(std::uint32_t step) { return 1.0 / double(step); }

// ceil(scaled / step) from the step's reciprocal, exactly FramesByDivision's count for every
// scaled below 2^48. The rounded reciprocal and the rounded product are each within 2^-53 of
// their exact values, so the estimate is within scaled / step x 2^-52 < 1 / (16 x step) of the
// true quotient, while a quotient that is not whole is at least 1 / step away from the next
// whole number. So the truncated estimate is the floor of the quotient, except for an exact
// multiple estimated a hair low, where it is one less. Either way, the truncation plus one
// unless it covers the distance exactly is the ceiling: one multiply and one compare.
inline std::uint64_t FramesByReciprocal(std::uint64_t scaled, std::uint32_t step, double reciprocal) {
  // Below 2^48: the signed conversion, which needs no test for the top bit.
  const std::uint64_t quotient = std::uint64_t(std::int64_t(double(std::int64_t(scaled)) * reciprocal));
  return quotient + (quotient * step != scaled ? 1 : 0);
}

// ceil(scaled / step) when it is one of last - 1, last and last + 1, which a voice running loop
// after loop through a short loop needs pass after pass; false otherwise. The products it
// compares with come from the last count alone, so the next pass waits for two compares
// where the reciprocal would keep it waiting for two conversions and a multiply. `last` is a
// count this step gave (so last x step stays below 2^49), or 0 for none.
inline bool FramesNear(std::uint64_t scaled, std::uint64_t last, std::uint32_t step, std::uint64_t* frames) {
  if (last < 2) return false;
  if (scaled <= (last - 2) * step || scaled > (last + 1) * step) return false;
  *frames = last - 1 + (scaled > (last - 1) * step ? 1 : 0) + (scaled > last * step ? 1 : 0);
  return true;
}

}  // namespace mixer_planning
