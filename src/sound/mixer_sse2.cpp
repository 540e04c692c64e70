// The SSE2 kernels, for x86-64 processors without AVX2 (SSE2 is part of them all): two frames
// a step. SSE2 has no gather, so the samples are read one by one as the scalar kernel reads
// them; the interpolation, the gains and the conversions run two frames wide. Same operands,
// same order, no contraction: the scalar kernel's bits.
#if defined(__x86_64__)

#include "sound/mixer_frame.h"
#include "sound/mixer_gains_x86.h"
#include "sound/mixer_kernels.h"

namespace {

using mixer_frame::Advance;
using mixer_frame::Interpolate;
using mixer_frame::SampleAt;
using mixer_gains::AddOne;

// The interpolated values of the frames at cursors `first` and `second`.
inline __m128d InterpolateTwo(const std::int16_t* data, std::uint64_t first, std::uint64_t second) {
  const std::uint32_t index_first = std::uint32_t(first >> 32);
  const std::uint32_t index_second = std::uint32_t(second >> 32);
  const __m128i fractions = _mm_setr_epi32(std::int32_t(std::uint32_t(first) >> 1),
                                           std::int32_t(std::uint32_t(second) >> 1), 0, 0);
  const __m128d weights = _mm_mul_pd(_mm_cvtepi32_pd(fractions), _mm_set1_pd(double(mix_1over2gig)));
  const __m128i a = _mm_setr_epi32(SampleAt(data, index_first), SampleAt(data, index_second), 0, 0);
  const __m128i b = _mm_setr_epi32(data[std::uint32_t(index_first + 1)], data[std::uint32_t(index_second + 1)], 0, 0);
  return _mm_add_pd(_mm_cvtepi32_pd(a), _mm_mul_pd(weights, _mm_cvtepi32_pd(_mm_sub_epi32(b, a))));
}

// Adds two values at their frames' gains to two interleaved output frames.
inline void AddTwo(float* out, __m128d values, __m128d gains_first, __m128d gains_second) {
  const __m128 frames = _mm_loadu_ps(out);
  const __m128d first = _mm_cvtps_pd(frames);
  const __m128d second = _mm_cvtps_pd(_mm_movehl_ps(frames, frames));
  const __m128 sum_first = _mm_cvtpd_ps(_mm_add_pd(first, _mm_mul_pd(_mm_unpacklo_pd(values, values), gains_first)));
  const __m128 sum_second =
      _mm_cvtpd_ps(_mm_add_pd(second, _mm_mul_pd(_mm_unpackhi_pd(values, values), gains_second)));
  _mm_storeu_ps(out, _mm_movelh_ps(sum_first, sum_second));
}

template <class Gains>
std::uint64_t MixFrames(float* out, std::uint64_t frames, const std::int16_t* data,
                                      std::uint64_t cursor, std::uint64_t advance, Gains& gains) {
  if (frames == 0) return cursor;
  AddOne(out, Interpolate(data, cursor), gains.Next());
  cursor = Advance(cursor, advance);
  const std::uint64_t stride = mixer_frame::Stride(advance);
  std::uint64_t frame = 1;
  for (; frame + 2 <= frames; frame += 2) {
    const std::uint64_t next = cursor + stride;
    const __m128d values = InterpolateTwo(data, cursor, next);
    const __m128d gains_first = gains.Next();
    AddTwo(out + 2 * frame, values, gains_first, gains.Next());
    cursor = next + stride;
  }
  if (frame < frames) {
    AddOne(out + 2 * frame, Interpolate(data, cursor), gains.Next());
    cursor = Advance(cursor, advance);
  }
  return cursor;
}

std::uint64_t MixSteady(const MixRun& run, double gain_left, double gain_right) {
  mixer_gains::Fixed gains(gain_left, gain_right);
  return MixFrames(run.out, run.frames, run.data, run.cursor, run.advance, gains);
}

std::uint64_t MixRamp(const MixRun& run, RampGains* ramp) {
  mixer_gains::Ramping gains(*ramp);
  const std::uint64_t cursor = MixFrames(run.out, run.frames, run.data, run.cursor, run.advance, gains);
  gains.Store(ramp);
  return cursor;
}

// Eight samples a step: clamped (max first, so NaN goes to the bottom), rounded by the
// conversion in the default nearest-even mode, packed.
void ClipCopy(std::int16_t* destination, const float* source, std::int64_t samples) {
  const __m128 low = _mm_set1_ps(-32768.0f);
  const __m128 high = _mm_set1_ps(32767.0f);
  std::int64_t i = 0;
  for (; i + 8 <= samples; i += 8) {
    const __m128 first = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(source + i), low), high);
    const __m128 second = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(source + i + 4), low), high);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i),
                     _mm_packs_epi32(_mm_cvtps_epi32(first), _mm_cvtps_epi32(second)));
  }
  ScalarKernels().clip_copy(destination + i, source + i, samples - i);
}

constexpr MixKernels kSse2{MixSteady, MixRamp, ClipCopy};

}  // namespace

const MixKernels& Sse2Kernels() { return kSse2; }

#endif
