// The mix kernels: the inner loop of one voice pass and the clip copy, in one version per
// instruction set. The pass planning around them (boundary, ramp plan, loops) is shared, so
// every version gives the same bits and differs only in speed.
#pragma once

#include <cstdint>

// One pass of a voice: `frames` output frames from `out`, read from `data` starting at
// `cursor` (32.32), moving by `advance` (already negated for a backwards voice) per frame.
struct MixRun {
  float* out;
  std::uint64_t frames;
  const std::int16_t* data;
  std::uint64_t cursor;
  std::uint64_t advance;
};

// A running ramp: the gains of the run's first frame, each moved by its delta after a frame.
// The kernel leaves the gains of the frame after the run here.
struct RampGains {
  double left;
  double right;
  double delta_left;
  double delta_right;
};

struct MixKernels {
  // Mixes the run at fixed gains; returns the cursor after it.
  std::uint64_t (*steady)(const MixRun& run, double gain_left, double gain_right);
  // Mixes the run through a ramp; returns the cursor after it.
  std::uint64_t (*ramp)(const MixRun& run, RampGains* gains);
  void (*clip_copy)(std::int16_t* destination, const float* source, std::int64_t samples);
};

const MixKernels& ScalarKernels();
#if defined(__x86_64__)
const MixKernels& Sse2Kernels();
const MixKernels& Avx2Kernels();
const MixKernels& Avx512Kernels();
#endif

// The kernels of the path in use (see mixer_path.h).
const MixKernels& ActiveKernels();
