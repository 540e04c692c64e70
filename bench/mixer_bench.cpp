// Voice-frames per second of the software mixer, for 1, 8 and 64 playing voices, with steady
// gains and with every frame inside a volume ramp, on every mixer path this CPU has (the
// second argument: 0 scalar, 1 SSE2, 2 AVX2, 3 AVX-512).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "player/music.h"
#include "sound/mixer.h"
#include "sound/mixer_path.h"
#include "sound/output.h"

namespace {

constexpr int kBlockFrames = 884;
constexpr std::uint32_t kSampleLength = 20000;

struct Setup {
  std::vector<std::int16_t> data;
  MUSIC_SAMPLE sample{};
  std::vector<float> out;

  Setup(int voices, benchmark::State& state) {
    AUDIO_InitOffline(44100);
    const auto path = static_cast<AUDIO_MixerPath>(state.range(1));
    if (!AUDIO_MixerUsePath(path)) state.SkipWithError("this CPU lacks the path");
    state.SetLabel(AUDIO_MixerPathName(path));
    data.assign(kSampleLength + 8, 0);
    for (std::uint32_t i = 0; i < kSampleLength; ++i) data[i] = std::int16_t(12000.0 * std::sin(i * 0.031));
    data[kSampleLength] = data[1000];
    sample.data = data.data();
    sample.length = kSampleLength;
    sample.loop_start = 1000;
    sample.loop_length = kSampleLength - 1000;
    sample.loop_mode = LOOP_NORMAL;
    for (int v = 0; v < voices; ++v) {
      AUDIO_Voice& voice = AUDIO_Channel[v];
      voice.sample = &sample;
      voice.direction = 1;
      voice.step = 1;
      voice.step_fraction = 0x1234567u * std::uint32_t(v + 1);  // every voice at its own pitch
      voice.left_volume = 200;
      voice.right_volume = 100;
      voice.ramp_goal_left = 200;
      voice.ramp_goal_right = 100;
      voice.ramp_level_left = 200 * 256;
      voice.ramp_level_right = 100 * 256;
    }
    out.assign(kBlockFrames * 2, 0.0f);
  }
};

void BM_MixSteady(benchmark::State& state) {
  const int voices = int(state.range(0));
  Setup setup(voices, state);
  for (auto _ : state) {
    AUDIO_Mixer_FPU_Ramp(setup.out.data(), kBlockFrames, 0);
    benchmark::DoNotOptimize(setup.out.data());
    benchmark::ClobberMemory();
  }
  const double voice_frames = double(state.iterations()) * kBlockFrames * voices;
  state.counters["voice_frames_per_s"] = benchmark::Counter(voice_frames, benchmark::Counter::kIsRate);
}

void BM_MixRamping(benchmark::State& state) {
  const int voices = int(state.range(0));
  Setup setup(voices, state);
  const int ramp = mix_volumerampsteps;
  int flip = 0;
  for (auto _ : state) {
    // A new target before every ramp-long chunk keeps each frame inside a ramp.
    flip ^= 1;
    for (int v = 0; v < voices; ++v) {
      AUDIO_Channel[v].left_volume = flip ? 120 : 200;
      AUDIO_Channel[v].right_volume = flip ? 180 : 100;
    }
    AUDIO_Mixer_FPU_Ramp(setup.out.data(), ramp, 0);
    benchmark::DoNotOptimize(setup.out.data());
    benchmark::ClobberMemory();
  }
  const double voice_frames = double(state.iterations()) * ramp * voices;
  state.counters["voice_frames_per_s"] = benchmark::Counter(voice_frames, benchmark::Counter::kIsRate);
}

BENCHMARK(BM_MixSteady)->ArgsProduct({{1, 8, 64}, {0, 1, 2, 3}});
BENCHMARK(BM_MixRamping)->ArgsProduct({{1, 8, 64}, {0, 1, 2, 3}});

}  // namespace
