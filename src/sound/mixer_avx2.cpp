// The AVX2 kernels: four frames a step. Frames are independent once their cursors are known,
// and a run's frames read as an arithmetic series of cursors (mixer_frame::SeriesStart), so
// four of them sit in 64-bit lanes and move by four strides at once; a run's last frames are
// masked, never read past. Every product and sum is the scalar one,
// in double, with the same operands in the same order, and each store rounds to single as the
// scalar store does; the file is built without contraction, so no fused multiply-add can
// merge a product into its sum.
#if defined(__x86_64__)

#include <immintrin.h>

#include "sound/mixer_frame.h"
#include "sound/mixer_gains_x86.h"
#include "sound/mixer_kernels.h"

#define TARVELON_AVX2 __attribute__((target("avx2")))

namespace {

using mixer_frame::Advance;
using mixer_frame::Interpolate;
using mixer_gains::AddOne;

// The gains of the next two frames, (left, right) each.
template <class Gains>
TARVELON_AVX2 inline __m256d NextTwo(Gains& gains) {
  const __m128d first = gains.Next();
  return _mm256_set_m128d(gains.Next(), first);
}

// The interpolated values of the four frames whose cursors are in `cursors`; only the frames
// whose lane in `active` is set read their samples.
TARVELON_AVX2 inline __m256d InterpolateFour(const std::int16_t* data, __m256i cursors, __m128i active) {
  const __m256i indices = _mm256_srli_epi64(cursors, 32);
  // fraction >> 1 as a double, exactly: below 2^31, it fills the low mantissa bits of 2^52.
  const __m256d two_52 = _mm256_set1_pd(0x1p52);
  const __m256i half_fractions = _mm256_and_si256(_mm256_srli_epi64(cursors, 1), _mm256_set1_epi64x(0x7FFFFFFF));
  const __m256d weights = _mm256_mul_pd(
      _mm256_sub_pd(_mm256_castsi256_pd(_mm256_or_si256(half_fractions, _mm256_castpd_si256(two_52))), two_52),
      _mm256_set1_pd(double(mix_1over2gig)));
  // The index just before the data reads the first sample at weight 0: a + 0 x (b - a) is a,
  // exactly what the scalar kernel's first sample read twice gives.
  const __m256i before_data = _mm256_cmpeq_epi64(indices, _mm256_set1_epi64x(0xFFFFFFFF));
  // One 32-bit read at each index brings both neighbours: a in the low half, b in the high.
  const __m128i pairs = _mm256_mask_i64gather_epi32(_mm_setzero_si128(), reinterpret_cast<const int*>(data),
                                                    _mm256_andnot_si256(before_data, indices), active, 2);
  const __m128i a = _mm_srai_epi32(_mm_slli_epi32(pairs, 16), 16);
  const __m128i b = _mm_srai_epi32(pairs, 16);
  return _mm256_add_pd(_mm256_cvtepi32_pd(a),
                       _mm256_mul_pd(_mm256_andnot_pd(_mm256_castsi256_pd(before_data), weights),
                                     _mm256_cvtepi32_pd(_mm_sub_epi32(b, a))));
}

// Four interleaved output frames with four values added at their frames' gains.
TARVELON_AVX2 inline __m256 SumFour(__m256 frames, __m256d values, __m256d gains_first, __m256d gains_second) {
  const __m256d first = _mm256_cvtps_pd(_mm256_castps256_ps128(frames));
  const __m256d second = _mm256_cvtps_pd(_mm256_extractf128_ps(frames, 1));
  const __m256d values_first = _mm256_unpacklo_pd(values, values);   // v0 v0 v1 v1
  const __m256d values_second = _mm256_unpackhi_pd(values, values);  // v2 v2 v3 v3
  const __m128 sum_first = _mm256_cvtpd_ps(_mm256_add_pd(first, _mm256_mul_pd(values_first, gains_first)));
  const __m128 sum_second = _mm256_cvtpd_ps(_mm256_add_pd(second, _mm256_mul_pd(values_second, gains_second)));
  return _mm256_set_m128(sum_second, sum_first);
}

// The last one to three frames of a run, with the lanes past its end neither read nor written
// and no gains taken for them.
template <class Gains>
TARVELON_AVX2 void MixTail(float* out, std::uint64_t frames, const std::int16_t* data, __m256i cursors, Gains& gains) {
  const int count = int(frames);
  const __m128i active = _mm_cmpgt_epi32(_mm_set1_epi32(count), _mm_setr_epi32(0, 2, 1, 3));  // lane order
  const __m256i floats = _mm256_cmpgt_epi32(_mm256_set1_epi32(2 * count), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  __m128d gain[4] = {_mm_setzero_pd(), _mm_setzero_pd(), _mm_setzero_pd(), _mm_setzero_pd()};
  for (int i = 0; i < count; ++i) gain[i] = gains.Next();
  const __m256 sums = SumFour(_mm256_maskload_ps(out, floats), InterpolateFour(data, cursors, active),
                              _mm256_set_m128d(gain[1], gain[0]), _mm256_set_m128d(gain[3], gain[2]));
  _mm256_maskstore_ps(out, floats, sums);
}

template <class Gains>
TARVELON_AVX2 std::uint64_t MixFrames(float* out, std::uint64_t frames, const std::int16_t* data,
                                      std::uint64_t cursor, std::uint64_t advance, Gains& gains) {
  if (!mixer_frame::IndicesFitVectors(cursor, advance, frames)) {
    for (std::uint64_t frame = 0; frame < frames; ++frame) {
      AddOne(out + 2 * frame, Interpolate(data, cursor), gains.Next());
      cursor = Advance(cursor, advance);
    }
    return cursor;
  }
  const std::uint64_t stride = mixer_frame::Stride(advance);
  // Frames 0, 2, 1, 3 of the step in the four lanes: the in-lane unpacks of the output then
  // pair each value with its frame.
  __m256i cursors =
      _mm256_add_epi64(_mm256_set1_epi64x(std::int64_t(mixer_frame::SeriesStart(cursor, advance))),
                       _mm256_setr_epi64x(0, std::int64_t(2 * stride), std::int64_t(stride), std::int64_t(3 * stride)));
  const __m256i four_strides = _mm256_set1_epi64x(std::int64_t(4 * stride));
  const __m128i all = _mm_set1_epi32(-1);
  std::uint64_t frame = 0;
  for (; frame + 4 <= frames; frame += 4) {
    const __m256d values = InterpolateFour(data, cursors, all);
    const __m256d gains_first = NextTwo(gains);
    _mm256_storeu_ps(out + 2 * frame, SumFour(_mm256_loadu_ps(out + 2 * frame), values, gains_first, NextTwo(gains)));
    cursors = _mm256_add_epi64(cursors, four_strides);
  }
  if (frame < frames) MixTail(out + 2 * frame, frames - frame, data, cursors, gains);
  return mixer_frame::AdvanceFrames(cursor, advance, frames);
}

TARVELON_AVX2 std::uint64_t MixSteady(const MixRun& run, double gain_left, double gain_right) {
  mixer_gains::Fixed gains(gain_left, gain_right);
  return MixFrames(run.out, run.frames, run.data, run.cursor, run.advance, gains);
}

TARVELON_AVX2 std::uint64_t MixRamp(const MixRun& run, RampGains* ramp) {
  mixer_gains::Ramping gains(*ramp);
  const std::uint64_t cursor = MixFrames(run.out, run.frames, run.data, run.cursor, run.advance, gains);
  gains.Store(ramp);
  return cursor;
}

// Sixteen samples a step: clamped into the 16-bit range first (max before min, so NaN goes to
// the bottom like the scalar kernel's), then rounded by the conversion in the default
// nearest-even mode; the pack cannot saturate any more.
TARVELON_AVX2 void ClipCopy(std::int16_t* destination, const float* source, std::int64_t samples) {
  const __m256 low = _mm256_set1_ps(-32768.0f);
  const __m256 high = _mm256_set1_ps(32767.0f);
  std::int64_t i = 0;
  for (; i + 16 <= samples; i += 16) {
    const __m256 first = _mm256_min_ps(_mm256_max_ps(_mm256_loadu_ps(source + i), low), high);
    const __m256 second = _mm256_min_ps(_mm256_max_ps(_mm256_loadu_ps(source + i + 8), low), high);
    // The pack interleaves 128-bit halves; the permute puts them back in order.
    const __m256i packed = _mm256_packs_epi32(_mm256_cvtps_epi32(first), _mm256_cvtps_epi32(second));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination + i), _mm256_permute4x64_epi64(packed, 0xD8));
  }
  ScalarKernels().clip_copy(destination + i, source + i, samples - i);
}

constexpr MixKernels kAvx2{MixSteady, MixRamp, ClipCopy};

}  // namespace

const MixKernels& Avx2Kernels() { return kAvx2; }

#endif
