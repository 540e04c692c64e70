// Voice-frames per second of the software mixer, for 1, 8 and 64 playing voices, with steady
// gains and with every frame inside a volume ramp, on every mixer path this CPU has (the
// second argument: 0 scalar, 1 SSE2, 2 AVX2, 3 AVX-512). Chip-like songs loop a few dozen
// samples, so that most passes of a voice end at its loop: BM_MixShortLoops plays 32 voices on
// a 40-sample loop, heard or (the twins a busy song fades out) silent.
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

  Setup(int voices, benchmark::State& state, std::uint32_t loop_length = kSampleLength - 1000, int volume = 1) {
    AUDIO_InitOffline(44100);
    const auto path = static_cast<AUDIO_MixerPath>(state.range(1));
    if (!AUDIO_MixerUsePath(path)) state.SkipWithError("this CPU lacks the path");
    state.SetLabel(AUDIO_MixerPathName(path));
    data.assign(kSampleLength + 8, 0);
    for (std::uint32_t i = 0; i < kSampleLength; ++i) data[i] = std::int16_t(12000.0 * std::sin(i * 0.031));
    const std::uint32_t loop_start = kSampleLength - loop_length;
    data[kSampleLength] = data[loop_start];
    sample.data = data.data();
    sample.length = kSampleLength;
    sample.loop_start = loop_start;
    sample.loop_length = loop_length;
    sample.loop_mode = LOOP_NORMAL;
    for (int v = 0; v < voices; ++v) {
      AUDIO_Voice& voice = AUDIO_Channel[v];
      voice.sample = &sample;
      voice.direction = 1;
      voice.step = 1;
      voice.step_fraction = 0x1234567u * std::uint32_t(v + 1);  // every voice at its own pitch
      voice.position = loop_start;
      voice.position_fraction = 0;
      voice.left_volume = 200 * volume;
      voice.right_volume = 100 * volume;
      voice.ramp_goal_left = voice.left_volume;
      voice.ramp_goal_right = voice.right_volume;
      voice.ramp_level_left = voice.left_volume * 256;
      voice.ramp_level_right = voice.right_volume * 256;
    }
    out.assign(kBlockFrames * 2, 0.0f);
  }
};

// Whole blocks of the voices set up, at the gains they have.
void MixBlocks(benchmark::State& state, Setup& setup, int voices) {
  for (auto _ : state) {
    AUDIO_Mixer_FPU_Ramp(setup.out.data(), kBlockFrames, 0);
    benchmark::DoNotOptimize(setup.out.data());
    benchmark::ClobberMemory();
  }
  const double voice_frames = double(state.iterations()) * kBlockFrames * voices;
  state.counters["voice_frames_per_s"] = benchmark::Counter(voice_frames, benchmark::Counter::kIsRate);
}

void BM_MixSteady(benchmark::State& state) {
  const int voices = int(state.range(0));
  Setup setup(voices, state);
  MixBlocks(state, setup, voices);
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

// 32 voices on a 40-sample loop; range(2): 1 heard, 0 silent.
void BM_MixShortLoops(benchmark::State& state) {
  constexpr int kVoices = 32;
  Setup setup(kVoices, state, 40, int(state.range(2)));
  MixBlocks(state, setup, kVoices);
}

BENCHMARK(BM_MixSteady)->ArgsProduct({{1, 8, 64}, {0, 1, 2, 3}});
BENCHMARK(BM_MixRamping)->ArgsProduct({{1, 8, 64}, {0, 1, 2, 3}});
BENCHMARK(BM_MixShortLoops)->ArgsProduct({{32}, {0, 1, 2, 3}, {1, 0}});

}  // namespace
