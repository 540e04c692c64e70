// The AVX-512 kernels: eight frames a step. As in the AVX2 kernels, a run's frames read as an
// arithmetic series of cursors (mixer_frame::SeriesStart), eight of them in 64-bit lanes moving
// by eight strides at once, and a run's last frames are masked by k-registers, never read or
// written past. Every product and sum is the scalar one, in double, with the same operands in
// the same order, and each store rounds to single as the scalar store does. AVX-512 brings
// fused multiply-adds with it, and a compiler may fuse a product written as `*` into its sum
// whatever the build says, so the products and sums here are the explicitly rounded forms,
// which no compiler fuses, and frames that cannot be mixed as vectors go to the scalar kernel.
#if defined(__x86_64__)

// GCC 12's AVX-512 headers start many intrinsics from a deliberately undefined vector, which
// its own uninitialised-use analysis then reports once they are inlined here.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

#include <immintrin.h>

#include "sound/mixer_frame.h"
#include "sound/mixer_gains_x86.h"
#include "sound/mixer_kernels.h"

#define TARVELON_AVX512 __attribute__((target("avx512f,avx512vl,avx512dq,avx512bw")))
#define TARVELON_AVX512_INLINE __attribute__((target("avx512f,avx512vl,avx512dq,avx512bw"), always_inline)) inline

namespace {

// A product and a sum, each rounded on its own (in the current, nearest-even, mode).
TARVELON_AVX512_INLINE __m512d Multiply(__m512d a, __m512d b) { return _mm512_mul_round_pd(a, b, _MM_FROUND_CUR_DIRECTION); }
TARVELON_AVX512_INLINE __m512d Add(__m512d a, __m512d b) { return _mm512_add_round_pd(a, b, _MM_FROUND_CUR_DIRECTION); }

// The frame of each 64-bit lane in a step. Frames 0..3 sit in the even lanes and 4..7 in the
// odd ones, so that the in-lane unpacks pair each value with its frame's two output samples.
TARVELON_AVX512_INLINE __m512i LaneFrames() { return _mm512_setr_epi64(0, 4, 1, 5, 2, 6, 3, 7); }

// The gains of eight frames as two vectors of (left, right) pairs: frames 0..3 and 4..7.
struct FixedEight {
  static constexpr bool kFramesApart = true;
  __m512d gains;
  TARVELON_AVX512 explicit FixedEight(double left, double right)
      : gains(_mm512_broadcast_f64x2(_mm_setr_pd(left, right))) {}
  TARVELON_AVX512_INLINE void Next(int, __m512d* first, __m512d* second) {
    *first = gains;
    *second = gains;
  }
};

// A ramp moves after every frame, one rounded sum per frame and side in frame order, as the
// scalar kernel sums them; frames past `count` take no gains.
struct RampingEight {
  static constexpr bool kFramesApart = false;
  mixer_gains::Ramping ramp;
  explicit RampingEight(const RampGains& gains) : ramp(gains) {}
  TARVELON_AVX512_INLINE void Next(int count, __m512d* first, __m512d* second) {
    __m128d gain[8];
    for (int i = 0; i < 8; ++i) gain[i] = i < count ? ramp.Next() : _mm_setzero_pd();
    *first = _mm512_insertf64x2(
        _mm512_insertf64x2(_mm512_insertf64x2(_mm512_castpd128_pd512(gain[0]), gain[1], 1), gain[2], 2), gain[3], 3);
    *second = _mm512_insertf64x2(
        _mm512_insertf64x2(_mm512_insertf64x2(_mm512_castpd128_pd512(gain[4]), gain[5], 1), gain[6], 2), gain[7], 3);
  }
};

// A ramp whose sums are all exact (mixer_frame::RampIsExactSeries): the gains of frame k are
// the first gains plus k deltas, and those of frame k + 8 the gains of frame k plus eight
// deltas, with the bits of the frame-by-frame sums but one sum per step of eight frames in the
// chain from frame to frame. Every product and sum is exact, so their rounding takes no part.
// Frames past a run's end get gains too; they are never stored.
struct SeriesEight {
  static constexpr bool kFramesApart = true;
  __m512d gains_first;   // of the next step's frames 0 ... 3
  __m512d gains_second;  // ... and 4 ... 7
  __m512d eight_deltas;
  TARVELON_AVX512 explicit SeriesEight(const RampGains& ramp) {
    const __m512d first = _mm512_broadcast_f64x2(_mm_setr_pd(ramp.left, ramp.right));
    const __m512d deltas = _mm512_broadcast_f64x2(_mm_setr_pd(ramp.delta_left, ramp.delta_right));
    gains_first = Add(first, Multiply(_mm512_setr_pd(0, 0, 1, 1, 2, 2, 3, 3), deltas));
    gains_second = Add(first, Multiply(_mm512_setr_pd(4, 4, 5, 5, 6, 6, 7, 7), deltas));
    eight_deltas = Multiply(_mm512_set1_pd(8.0), deltas);
  }
  TARVELON_AVX512_INLINE void Next(int, __m512d* first, __m512d* second) {
    *first = gains_first;
    *second = gains_second;
    gains_first = Add(gains_first, eight_deltas);
    gains_second = Add(gains_second, eight_deltas);
  }
};

// The value pairs (a in the low half, b in the high) of the eight frames whose cursors are in
// `cursors`, by a gather: only lanes set in `active` read. With `kBeforeData` a lane may sit at
// index -1 (just before the data): it reads the first sample, at weight 0 (InterpolateEight).
template <bool kBeforeData>
TARVELON_AVX512_INLINE __m256i GatherPairs(const std::int16_t* data, __m512i cursors, __mmask8 active) {
  __m512i indices = _mm512_srli_epi64(cursors, 32);
  if (kBeforeData) {
    indices = _mm512_maskz_mov_epi64(_mm512_cmpneq_epi64_mask(indices, _mm512_set1_epi64(0xFFFFFFFF)), indices);
  }
  // One 32-bit read at each index brings both neighbours.
  return _mm512_mask_i64gather_epi32(_mm256_setzero_si256(), active, indices, reinterpret_cast<const int*>(data), 2);
}

// The same pairs from `samples`, the 32 samples from index `base` on. Lanes past a run's end
// may name any of them; their values are never stored.
TARVELON_AVX512_INLINE __m256i WindowPairs(__m512i samples, __m512i cursors, std::int64_t base) {
  // Each frame's index (its cursor's top half) in a 32-bit lane, then index x 0x10001 less
  // base x 0x10001 - 0x10000: word indices index - base and index - base + 1, in 256 bits,
  // which cost half what 512 do.
  const __m256i indices = _mm512_castsi512_si256(
      _mm512_permutexvar_epi32(_mm512_setr_epi32(1, 3, 5, 7, 9, 11, 13, 15, 1, 3, 5, 7, 9, 11, 13, 15), cursors));
  const std::uint32_t offset = std::uint32_t(base) * 0x10001u - 0x10000u;
  const __m256i pair_words =
      _mm256_sub_epi32(_mm256_add_epi32(indices, _mm256_slli_epi32(indices, 16)), _mm256_set1_epi32(std::int32_t(offset)));
  return _mm512_castsi512_si256(_mm512_permutexvar_epi16(_mm512_castsi256_si512(pair_words), samples));
}

// The interpolated values of the eight frames whose cursors are in `cursors`, from their value
// pairs. With `kBeforeData` a lane at index -1 takes weight 0, and a + 0 x (b - a) is a,
// exactly what the scalar kernel's first sample read twice gives.
template <bool kBeforeData>
TARVELON_AVX512_INLINE __m512d InterpolateEight(__m256i pairs, __m512i cursors) {
  // The weight is (fraction >> 1) x mix_1over2gig. The fraction without its lowest bit, twice
  // fraction >> 1, put into the mantissa of 2^52 gives 2^52 + 2 x (fraction >> 1) exactly; less
  // 2^52 and times half of mix_1over2gig (a power of two apart, so the same rounded product),
  // that is the weight, for one logic operation and one subtraction instead of a shift, a mask
  // and a conversion.
  const __m512d twice_halves = _mm512_sub_pd(
      _mm512_castsi512_pd(_mm512_ternarylogic_epi64(cursors, _mm512_set1_epi64(0xFFFFFFFE),
                                                    _mm512_set1_epi64(0x4330000000000000), 0xEA)),
      _mm512_set1_pd(0x1p52));
  const __m512d half_scale = _mm512_set1_pd(double(mix_1over2gig) * 0.5);
  __m512d weights;
  if (kBeforeData) {
    const __mmask8 inside = _mm512_cmpneq_epi64_mask(_mm512_srli_epi64(cursors, 32), _mm512_set1_epi64(0xFFFFFFFF));
    weights = _mm512_maskz_mul_round_pd(inside, twice_halves, half_scale, _MM_FROUND_CUR_DIRECTION);
  } else {
    weights = Multiply(twice_halves, half_scale);
  }
  // a x 1 + b x 0, and a x -1 + b x 1: a and b - a, exact in 32 bits.
  const __m256i a = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00000001));
  const __m256i difference = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x0001FFFF));
  return Add(_mm512_cvtepi32_pd(a), Multiply(weights, _mm512_cvtepi32_pd(difference)));
}

// How the steps of a run find their samples: the values of a step of eight frames, or of the
// last `count` (1 ... 7), whose first frame reads at the series cursor `first`.

// Any run, by gathers.
template <bool kBeforeData>
struct GatherReads {
  const std::int16_t* data;

  TARVELON_AVX512_INLINE __m512d Step(__m512i cursors, std::uint64_t) const {
    return InterpolateEight<kBeforeData>(GatherPairs<kBeforeData>(data, cursors, 0xFF), cursors);
  }
  TARVELON_AVX512_INLINE __m512d Tail(__m512i cursors, std::uint64_t, int count) const {
    const __mmask8 active = _mm512_cmplt_epi64_mask(LaneFrames(), _mm512_set1_epi64(count));
    return InterpolateEight<kBeforeData>(GatherPairs<kBeforeData>(data, cursors, active), cursors);
  }
};

// A run of less than four samples a frame, none before the data: a step's reads all fall
// within 32 samples of its lowest index (seven strides and the pair's second sample span at
// most 30), so one load brings them and a word permute pairs each frame's two neighbours,
// several times cheaper than a gather. The load takes all 32 samples where the run itself
// reads as far, and only those up to the run's last otherwise.
struct WindowReads {
  static constexpr std::uint64_t kStrideLimit = std::uint64_t(4) << 32;

  const std::int16_t* data;
  std::uint64_t stride;
  std::uint64_t to_lowest;  // from a step's first cursor to its lowest: none forwards, seven strides backwards
  std::int64_t last_index;  // the highest index the run reads

  TARVELON_AVX512 WindowReads(const std::int16_t* samples, std::uint64_t first, std::uint64_t step_stride,
                              std::uint64_t frames)
      : data(samples), stride(step_stride), to_lowest(std::int64_t(step_stride) < 0 ? 7 * step_stride : 0) {
    const std::int64_t from = std::int64_t(first) >> 32;
    const std::int64_t to = std::int64_t(first + (frames - 1) * stride) >> 32;
    last_index = (from > to ? from : to) + 1;
  }

  TARVELON_AVX512_INLINE __m512d Step(__m512i cursors, std::uint64_t first) const {
    const std::int64_t base = std::int64_t(first + to_lowest) >> 32;
    const std::int64_t room = last_index - base;  // 1 at least: the step reads base and base + 1
    const __m512i samples = room >= 31 ? _mm512_loadu_si512(data + base)
                                       : _mm512_maskz_loadu_epi16(__mmask32((2u << room) - 1), data + base);
    return InterpolateEight<false>(WindowPairs(samples, cursors, base), cursors);
  }
  TARVELON_AVX512_INLINE __m512d Tail(__m512i cursors, std::uint64_t first, int count) const {
    const std::int64_t from = std::int64_t(first) >> 32;
    const std::int64_t to = std::int64_t(first + std::uint64_t(count - 1) * stride) >> 32;
    const std::int64_t base = from < to ? from : to;
    const std::int64_t span = from < to ? to - from : from - to;
    const __m512i samples = _mm512_maskz_loadu_epi16(__mmask32((std::uint64_t(2) << (span + 1)) - 1), data + base);
    return InterpolateEight<false>(WindowPairs(samples, cursors, base), cursors);
  }
};

// Adds the values of four frames (duplicated to left and right) at their gains to four output
// frames; `mask` names the floats that belong to the run.
TARVELON_AVX512_INLINE void AddFour(float* out, __m512d values, __m512d gains, __mmask8 mask) {
  const __m512d frames = _mm512_cvtps_pd(_mm256_maskz_loadu_ps(mask, out));
  _mm256_mask_storeu_ps(out, mask, _mm512_cvtpd_ps(Add(frames, Multiply(values, gains))));
}

TARVELON_AVX512_INLINE void AddFour(float* out, __m512d values, __m512d gains) {
  const __m512d frames = _mm512_cvtps_pd(_mm256_loadu_ps(out));
  _mm256_storeu_ps(out, _mm512_cvtpd_ps(Add(frames, Multiply(values, gains))));
}

template <class Reads, class Gains>
TARVELON_AVX512_INLINE void MixSteps(float* out, std::uint64_t frames, std::uint64_t first, std::uint64_t stride,
                                     const Reads& reads, Gains& gains) {
  __m512i cursors = _mm512_add_epi64(_mm512_set1_epi64(std::int64_t(first)),
                                     _mm512_mullo_epi64(LaneFrames(), _mm512_set1_epi64(std::int64_t(stride))));
  const __m512i eight_strides = _mm512_set1_epi64(std::int64_t(8 * stride));
  std::uint64_t frame = 0;
  if (Gains::kFramesApart) {
    // Eight steps at a time, their values first, then their sums. A step's values and sums
    // form one long chain of dependent operations; apart, the values of eight steps are
    // independent chains the processor overlaps, and their sums wait on nothing but the
    // output. (Gains summed frame after frame are one chain across the steps, which this
    // would not shorten.)
    for (; frame + 64 <= frames; frame += 64) {
      __m512d values[8];
      for (int step = 0; step < 8; ++step) {
        values[step] = reads.Step(cursors, first);
        cursors = _mm512_add_epi64(cursors, eight_strides);
        first += 8 * stride;
      }
      for (int step = 0; step < 8; ++step) {
        __m512d gains_first, gains_second;
        gains.Next(8, &gains_first, &gains_second);
        float* step_out = out + 2 * (frame + 8 * std::uint64_t(step));
        AddFour(step_out, _mm512_unpacklo_pd(values[step], values[step]), gains_first);
        AddFour(step_out + 8, _mm512_unpackhi_pd(values[step], values[step]), gains_second);
      }
    }
  }
  for (; frame + 8 <= frames; frame += 8) {
    const __m512d values = reads.Step(cursors, first);
    __m512d gains_first, gains_second;
    gains.Next(8, &gains_first, &gains_second);
    AddFour(out + 2 * frame, _mm512_unpacklo_pd(values, values), gains_first);
    AddFour(out + 2 * frame + 8, _mm512_unpackhi_pd(values, values), gains_second);
    cursors = _mm512_add_epi64(cursors, eight_strides);
    first += 8 * stride;
  }
  if (frame < frames) {
    // The last one to seven frames: lanes past the run's end neither read nor write.
    const int count = int(frames - frame);
    const __m512d values = reads.Tail(cursors, first, count);
    __m512d gains_first, gains_second;
    gains.Next(count, &gains_first, &gains_second);
    const unsigned floats = (1u << (2 * count)) - 1u;
    AddFour(out + 2 * frame, _mm512_unpacklo_pd(values, values), gains_first, __mmask8(floats));
    AddFour(out + 2 * frame + 8, _mm512_unpackhi_pd(values, values), gains_second, __mmask8(floats >> 8));
  }
}

// Mixes a run that IndicesFitVectors accepts; returns the cursor after it.
template <class Gains>
TARVELON_AVX512_INLINE std::uint64_t MixFrames(const MixRun& run, Gains& gains) {
  const std::uint64_t stride = mixer_frame::Stride(run.advance);
  const std::uint64_t first = mixer_frame::SeriesStart(run.cursor, run.advance);
  if (mixer_frame::ReachesBeforeData(run.cursor, run.advance, run.frames)) {
    MixSteps(run.out, run.frames, first, stride, GatherReads<true>{run.data}, gains);
  } else if (stride < WindowReads::kStrideLimit || 0 - stride < WindowReads::kStrideLimit) {
    MixSteps(run.out, run.frames, first, stride, WindowReads(run.data, first, stride, run.frames), gains);
  } else {
    MixSteps(run.out, run.frames, first, stride, GatherReads<false>{run.data}, gains);
  }
  return mixer_frame::AdvanceFrames(run.cursor, run.advance, run.frames);
}

TARVELON_AVX512 std::uint64_t MixSteady(const MixRun& run, double gain_left, double gain_right) {
  if (!mixer_frame::IndicesFitVectors(run.cursor, run.advance, run.frames)) {
    return ScalarKernels().steady(run, gain_left, gain_right);
  }
  FixedEight gains(gain_left, gain_right);
  return MixFrames(run, gains);
}

TARVELON_AVX512 std::uint64_t MixRamp(const MixRun& run, RampGains* ramp) {
  if (!mixer_frame::IndicesFitVectors(run.cursor, run.advance, run.frames)) return ScalarKernels().ramp(run, ramp);
  if (mixer_frame::RampIsExactSeries(ramp->left, ramp->delta_left, run.frames) &&
      mixer_frame::RampIsExactSeries(ramp->right, ramp->delta_right, run.frames)) {
    SeriesEight gains(*ramp);
    const std::uint64_t cursor = MixFrames(run, gains);
    // Exact, as every sum of the series is.
    ramp->left += double(run.frames) * ramp->delta_left;
    ramp->right += double(run.frames) * ramp->delta_right;
    return cursor;
  }
  RampingEight gains(*ramp);
  const std::uint64_t cursor = MixFrames(run, gains);
  gains.ramp.Store(ramp);
  return cursor;
}

// Thirty-two samples a step: clamped into the 16-bit range first (max before min, so NaN goes
// to the bottom like the scalar kernel's), rounded by the conversion in the default
// nearest-even mode, then narrowed in order; the narrowing cannot saturate any more.
TARVELON_AVX512 void ClipCopy(std::int16_t* destination, const float* source, std::int64_t samples) {
  const __m512 low = _mm512_set1_ps(-32768.0f);
  const __m512 high = _mm512_set1_ps(32767.0f);
  std::int64_t i = 0;
  for (; i + 32 <= samples; i += 32) {
    const __m512 first = _mm512_min_ps(_mm512_max_ps(_mm512_loadu_ps(source + i), low), high);
    const __m512 second = _mm512_min_ps(_mm512_max_ps(_mm512_loadu_ps(source + i + 16), low), high);
    const __m512i packed = _mm512_permutexvar_epi64(
        _mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7), _mm512_packs_epi32(_mm512_cvtps_epi32(first), _mm512_cvtps_epi32(second)));
    _mm512_storeu_si512(destination + i, packed);
  }
  ScalarKernels().clip_copy(destination + i, source + i, samples - i);
}

constexpr MixKernels kAvx512{MixSteady, MixRamp, ClipCopy};

}  // namespace

const MixKernels& Avx512Kernels() { return kAvx512; }

#endif
