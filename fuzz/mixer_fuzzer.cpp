// libFuzzer target for the mixer alone: one fuzzed voice (cursor, direction, step, gains and
// ramp state) over a fuzzed sample and loop geometry, mixed for a few hundred frames in a few
// calls, on the scalar path and on every vector path the CPU has (compared bit for bit), and
// clipped.
// The geometry is anything the loader can hand over (loops inside the sample with their guard
// sample after the end, one-sample loops, ping-pong loops turning at sample 0), plus empty
// loops, which it cannot; steps reach just below 256 samples a frame, the fastest the note
// engine sets.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "player/music.h"
#include "sound/clipcopy.h"
#include "sound/mixer.h"
#include "sound/mixer_path.h"
#include "sound/output.h"

namespace {

constexpr std::uint32_t kMaxLength = 4096;
constexpr std::uint32_t kGuardSamples = 8;
constexpr int kMaxFrames = 600;
constexpr std::int32_t kRates[] = {44100, 22050, 48000, 8000};

std::uint32_t PickLoopLength(FuzzedDataProvider& in, std::uint32_t room) {
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return 0;
    case 1: return room >= 1 ? 1 : 0;
    case 2: return room;
    default: return in.ConsumeIntegralInRange<std::uint32_t>(0, room);
  }
}

std::uint32_t PickStep(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 2)) {
    case 0: return 255;
    case 1: return in.ConsumeIntegralInRange<std::uint32_t>(250, 255);
    default: return in.ConsumeIntegralInRange<std::uint32_t>(0, 255);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider in(bytes, size);
  if (!AUDIO_InitOffline(kRates[in.ConsumeIntegralInRange<int>(0, 3)])) std::abort();

  MUSIC_SAMPLE sample{};
  sample.length = in.ConsumeIntegralInRange<std::uint32_t>(1, kMaxLength);
  const std::uint8_t modes[] = {LOOP_OFF, LOOP_NORMAL, LOOP_BIDI, 0};
  sample.loop_mode = modes[in.ConsumeIntegralInRange<int>(0, 3)];
  sample.loop_start = in.ConsumeBool() ? 0 : in.ConsumeIntegralInRange<std::uint32_t>(0, sample.length - 1);
  sample.loop_length = PickLoopLength(in, sample.length - sample.loop_start);
  std::vector<std::int16_t> data(sample.length + kGuardSamples, 0);
  for (std::uint32_t k = 0; k < sample.length && in.remaining_bytes() > 64; ++k)
    data[k] = in.ConsumeIntegral<std::int16_t>();
  const std::uint32_t end = sample.loop_start + sample.loop_length;
  if (sample.loop_mode == LOOP_BIDI && end > 0) data[end] = data[end - 1];
  if (sample.loop_mode == LOOP_NORMAL) data[end] = data[sample.loop_start];
  sample.data = data.data();

  AUDIO_Voice& voice = AUDIO_Channel[in.ConsumeIntegralInRange<int>(0, kMixedVoiceCount - 1)];
  voice.sample = &sample;
  // Where the note engine and the mixer leave a cursor: a trigger or a rewind puts it before
  // the loop end moving forwards; only a ping-pong turn sends it backwards, inside the loop,
  // or forwards from a hair below a loop that starts at sample 0.
  const bool bidi = sample.loop_mode == LOOP_BIDI;
  voice.direction = bidi && end > sample.loop_start && in.ConsumeBool() ? 2 : 1;
  const std::uint32_t lowest = voice.direction == 2 ? sample.loop_start : 0;
  voice.position = end > lowest ? in.ConsumeIntegralInRange<std::uint32_t>(lowest, end - 1) : 0;
  voice.position_fraction = in.ConsumeIntegral<std::uint32_t>();
  if (bidi && sample.loop_start == 0 && voice.direction == 1 && in.ConsumeBool()) {
    voice.position = 0xFFFFFFFFu;
    voice.position_fraction = 0xFFFFFFFFu;
  }
  voice.step = PickStep(in);
  voice.step_fraction = in.ConsumeIntegral<std::uint32_t>();
  voice.left_volume = in.ConsumeIntegralInRange<std::int32_t>(0, 255);
  voice.right_volume = in.ConsumeIntegralInRange<std::int32_t>(0, 255);
  voice.ramp_level_left = in.ConsumeIntegralInRange<std::int32_t>(0, 255) * 256;
  voice.ramp_level_right = in.ConsumeIntegralInRange<std::int32_t>(0, 255) * 256;
  voice.ramp_goal_left = in.ConsumeIntegralInRange<std::int32_t>(0, 255);
  voice.ramp_goal_right = in.ConsumeIntegralInRange<std::int32_t>(0, 255);

  std::vector<int> counts;  // the frames of each call
  int mixed = 0;
  do {
    counts.push_back(in.ConsumeIntegralInRange<int>(1, kMaxFrames - mixed));
    mixed += counts.back();
  } while (mixed < kMaxFrames && in.remaining_bytes() > 0);
  const auto mix_calls = [&counts](std::vector<float>& area) {
    int at = 0;
    for (const int count : counts) {
      AUDIO_Mixer_FPU_Ramp(area.data() + 2 * at, count, 0);
      at += count;
    }
  };
  // The scalar mix is the reference; every vector path the CPU has must give its bits and
  // leave the voice where it leaves it. The vector kernels' gathers are beyond what
  // AddressSanitizer sees, so the scalar pass over the same frames is what checks their reads.
  const AUDIO_Voice start = voice;
  std::vector<float> reference(2 * kMaxFrames, 0.0f);
  AUDIO_MixerUsePath(AUDIO_MixerPath::Scalar);
  mix_calls(reference);
  const AUDIO_Voice after = voice;
  std::vector<float> mix(2 * kMaxFrames, 0.0f);
  for (const AUDIO_MixerPath path : {AUDIO_MixerPath::Sse2, AUDIO_MixerPath::Avx2, AUDIO_MixerPath::Avx512}) {
    if (!AUDIO_MixerUsePath(path)) continue;
    std::fill(mix.begin(), mix.end(), 0.0f);
    voice = start;
    mix_calls(mix);
    if (std::memcmp(reference.data(), mix.data(), mix.size() * sizeof(float)) != 0 ||
        voice.position != after.position || voice.position_fraction != after.position_fraction ||
        voice.direction != after.direction || voice.ramp_level_left != after.ramp_level_left ||
        voice.ramp_level_right != after.ramp_level_right || voice.ramp_remaining != after.ramp_remaining)
      std::abort();
  }
  // One voice at gains up to 1 stays within a hair of the 16-bit range: the ramp level is
  // rounded at every pass, so a ramp cut at every frame by a tiny loop may overshoot by up to
  // half a level per frame (0.1 % at 48 kHz). Reads outside the sample's data and its guard
  // samples are AddressSanitizer's to catch.
  for (int k = 0; k < 2 * mixed; ++k)
    if (!(std::fabs(reference[std::size_t(k)]) <= 32768.0f * 1.0025f)) std::abort();
  std::vector<std::int16_t> pcm(2 * kMaxFrames);
  AUDIO_MixerClipCopy_Float32(pcm.data(), reference.data(), mixed);
  voice.sample = nullptr;
  return 0;
}
