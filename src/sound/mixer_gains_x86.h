// The gains of a pass for the x86 kernels, as (left, right) pairs of doubles in one SSE2
// register (part of every x86-64 processor): fixed, or a ramp that moves after every frame.
#pragma once

#include <emmintrin.h>

#include "sound/mixer_frame.h"
#include "sound/mixer_kernels.h"

namespace mixer_gains {

// Gains that hold for the whole run.
struct Fixed {
  __m128d gains;
  explicit Fixed(double left, double right) : gains(_mm_setr_pd(left, right)) {}
  __m128d Next() { return gains; }
};

// The gains of a ramp, moved by their deltas after every frame: one rounded sum per frame and
// side, in frame order, as the scalar kernel sums them.
struct Ramping {
  __m128d gains;
  __m128d deltas;
  explicit Ramping(const RampGains& ramp)
      : gains(_mm_setr_pd(ramp.left, ramp.right)), deltas(_mm_setr_pd(ramp.delta_left, ramp.delta_right)) {}
  __m128d Next() {
    const __m128d now = gains;
    gains = _mm_add_pd(gains, deltas);
    return now;
  }
  // Hands the gains of the frame after the run back to the ramp.
  void Store(RampGains* ramp) const {
    _mm_storel_pd(&ramp->left, gains);
    _mm_storeh_pd(&ramp->right, gains);
  }
};

// Adds one value at its gains to one output frame, as the scalar kernel does.
inline void AddOne(float* out, double value, __m128d gains) {
  mixer_frame::AddFrame(out, value, _mm_cvtsd_f64(gains), _mm_cvtsd_f64(_mm_unpackhi_pd(gains, gains)));
}

}  // namespace mixer_gains
