// Every mixer path gives the scalar path's bits: single voices in the corners of the cursor
// and ramp arithmetic, the clip copy's rounding and saturation, and whole songs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "byte_source.h"
#include "player/music.h"
#include "sound/clipcopy.h"
#include "sound/memsource.h"
#include "sound/mixer.h"
#include "sound/mixer_path.h"
#include "sound/output.h"

namespace {

// The paths this CPU has besides the scalar reference.
std::vector<AUDIO_MixerPath> VectorPaths() {
  std::vector<AUDIO_MixerPath> paths;
  for (AUDIO_MixerPath path : AUDIO_MixerKnownPaths()) {
    if (path != AUDIO_MixerPath::Scalar && AUDIO_MixerUsePath(path)) paths.push_back(path);
  }
  AUDIO_MixerUsePath(AUDIO_MixerPath::Scalar);
  return paths;
}

// One random voice: a sample of random length with the loader's padding (forward loops end
// on their start value, ping-pong loops on their last), a cursor near one of its boundaries,
// a step from 1/65536 to 255 samples, and ramp state that may be mid-ramp.
struct RandomVoice {
  std::vector<std::int16_t> data;
  MUSIC_SAMPLE sample{};
  AUDIO_Voice voice{};

  explicit RandomVoice(std::mt19937* random) {
    auto below = [random](std::uint32_t n) { return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(*random); };
    const std::uint32_t length = 1 + below(below(2) ? 64 : 5000);
    data.resize(length + 8, 0);
    for (std::uint32_t i = 0; i < length; ++i) data[i] = std::int16_t(below(65536) - 32768);
    static const std::uint8_t kModes[] = {LOOP_OFF, LOOP_NORMAL, LOOP_BIDI};
    sample.loop_mode = kModes[below(3)];
    sample.loop_start = sample.loop_mode == LOOP_OFF || below(3) == 0 ? 0 : below(length);
    sample.loop_length = length - sample.loop_start;
    const std::uint32_t end = sample.loop_start + sample.loop_length;
    if (sample.loop_mode == LOOP_NORMAL) data[end] = data[sample.loop_start];
    if (sample.loop_mode == LOOP_BIDI) data[end] = data[end - 1];
    sample.data = data.data();
    sample.length = length;

    voice.sample = &sample;
    voice.direction = sample.loop_mode == LOOP_BIDI && below(2) ? 2 : 1;
    // Near the start, near the end, or anywhere between.
    const std::uint32_t near = std::min<std::uint32_t>(sample.loop_length, 4);
    const std::uint32_t pick = below(3);
    voice.position = pick == 0 ? sample.loop_start + below(near) : pick == 1 ? end - 1 - below(near)
                                                                             : sample.loop_start + below(sample.loop_length);
    voice.position_fraction = std::uint32_t(below(65536)) << 16 | below(65536);
    // Steps spread over the octaves, odd and even alike.
    const std::uint64_t step = std::max<std::uint64_t>(1ull << 16, (std::uint64_t(below(1u << 31)) << 9 | below(512)) >> below(24));
    voice.step = std::uint32_t(std::min<std::uint64_t>(step, (255ull << 32) | 0xFFFFFFFFu) >> 32);
    voice.step_fraction = std::uint32_t(step);
    if (sample.loop_mode == LOOP_BIDI && sample.loop_start == 0 && below(4) == 0) {
      // Backwards towards a loop at sample 0, with the step's lowest fraction bits (which the
      // boundary division drops) all set: the pass's last frame lands just before the data.
      voice.direction = 2;
      voice.step_fraction |= 0xFF;
      const std::uint64_t step_seen = ((std::uint64_t(voice.step) << 32 | voice.step_fraction) >> 8) << 8;
      const std::uint64_t distance = (2 + below(150)) * step_seen + 256;
      if ((distance >> 32) + 1 < end) {
        voice.position = std::uint32_t(distance >> 32);
        voice.position_fraction = std::uint32_t(distance);
      }
    }
    // A quarter of the voices are silent twins (targets 0), fading out or faded.
    const bool silent = below(4) == 0;
    voice.left_volume = silent ? 0 : std::int32_t(below(256));
    voice.right_volume = silent ? 0 : std::int32_t(below(256));
    voice.ramp_level_left = std::int32_t(below(256)) * 256;
    voice.ramp_level_right = std::int32_t(below(256)) * 256;
    if (below(2)) {
      // Mid-ramp towards the present targets.
      voice.ramp_goal_left = voice.left_volume;
      voice.ramp_goal_right = voice.right_volume;
      voice.ramp_remaining = std::int32_t(1 + below(std::uint32_t(mix_volumerampsteps)));
      voice.ramp_delta_left = float(voice.left_volume - voice.ramp_level_left / 256) / 255.0f / 128.0f;
      voice.ramp_delta_right = float(voice.right_volume - voice.ramp_level_right / 256) / 255.0f / 128.0f;
    } else {
      voice.ramp_goal_left = voice.ramp_level_left / 256;
      voice.ramp_goal_right = voice.ramp_level_right / 256;
    }
  }
};

struct Mixed {
  std::vector<float> out;
  AUDIO_Voice voice;
};

// Mixes the voice in the given chunks, changing its targets between them like a tick would.
Mixed MixChunks(AUDIO_MixerPath path, const RandomVoice& start, const std::vector<int>& chunks) {
  EXPECT_TRUE(AUDIO_MixerUsePath(path));
  Mixed mixed{{}, start.voice};
  int total = 0;
  for (int frames : chunks) total += frames;
  mixed.out.assign(std::size_t(total) * 2, 0.25f);
  float* out = mixed.out.data();
  for (std::size_t c = 0; c < chunks.size(); ++c) {
    AUDIO_Mixer_FPU_Ramp_ASM(&mixed.voice, out, chunks[c], out + chunks[c] * 2);
    out += chunks[c] * 2;
    mixed.voice.left_volume = (mixed.voice.left_volume + 37 * int(c + 1)) % 256;
  }
  AUDIO_MixerUsePath(AUDIO_MixerPath::Scalar);
  return mixed;
}

TEST(MixerPaths, RandomVoicesMixToTheScalarBits) {
  ASSERT_EQ(AUDIO_InitOffline(44100), 1);
  const std::vector<AUDIO_MixerPath> paths = VectorPaths();
  if (paths.empty()) GTEST_SKIP() << "no vector path on this CPU";
  std::mt19937 random(20261207);
  for (int trial = 0; trial < 3000; ++trial) {
    const RandomVoice voice(&random);
    const std::vector<int> chunks = {int(1 + random() % 900), int(1 + random() % 300), int(1 + random() % 40)};
    const Mixed reference = MixChunks(AUDIO_MixerPath::Scalar, voice, chunks);
    for (AUDIO_MixerPath path : paths) {
      const Mixed mixed = MixChunks(path, voice, chunks);
      ASSERT_EQ(0, std::memcmp(reference.out.data(), mixed.out.data(), reference.out.size() * sizeof(float)))
          << AUDIO_MixerPathName(path) << ", trial " << trial;
      ASSERT_EQ(0, std::memcmp(&reference.voice, &mixed.voice, sizeof(AUDIO_Voice)))
          << AUDIO_MixerPathName(path) << ", trial " << trial;
    }
  }
}

TEST(MixerPaths, ClipCopyRoundsAndSaturatesAlikeOnEveryPath) {
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float in;
    std::int16_t out;
  };
  const Case cases[] = {{32767.4f, 32767}, {32767.6f, 32767}, {-40000.0f, -32768}, {2.5f, 2},
                        {3.5f, 4},         {-0.5f, 0},        {-2.5f, -2},         {-32768.6f, -32768},
                        {1.0e10f, 32767},  {-1.0e10f, -32768}, {inf, 32767},       {-inf, -32768},
                        {std::nanf(""), -32768}, {0.49999997f, 0}, {-0.0f, 0},      {1234.5f, 1234}};
  // Each case in every position of a vector step and in the tail after the last one.
  std::vector<float> in;
  std::vector<std::int16_t> expect;
  for (int round = 0; round < 3; ++round) {
    for (const Case& c : cases) {
      in.push_back(c.in);
      expect.push_back(c.out);
    }
    in.push_back(7.0f);
    expect.push_back(7);
  }
  if (in.size() % 2) {
    in.push_back(0.0f);
    expect.push_back(0);
  }
  for (AUDIO_MixerPath path :
       {AUDIO_MixerPath::Scalar, AUDIO_MixerPath::Sse2, AUDIO_MixerPath::Avx2, AUDIO_MixerPath::Avx512}) {
    if (!AUDIO_MixerUsePath(path)) continue;
    std::vector<std::int16_t> out(in.size(), 123);
    AUDIO_MixerClipCopy_Float32(out.data(), in.data(), std::int32_t(in.size() / 2));
    EXPECT_EQ(out, expect) << AUDIO_MixerPathName(path);
  }
  AUDIO_MixerUsePath(AUDIO_MixerPath::Scalar);
}

// The first `seconds` of a freshly loaded module rendered offline on `path`, as the 16-bit
// stream; empty when the file does not load.
std::vector<std::int16_t> Render(const std::string& name, double seconds, AUDIO_MixerPath path) {
  std::vector<std::int16_t> pcm;
  MUSIC_MODULE* module = MUSIC_LoadSong(name.c_str(), nullptr);
  if (!module) return pcm;
  AUDIO_MixerUsePath(path);
  if (AUDIO_InitOffline(44100) && MUSIC_PlaySong(module)) {
    const std::size_t frames = std::size_t(seconds * 44100);
    while (pcm.size() < frames * 2) {
      const std::int16_t* block = AUDIO_Offline_FillNext(nullptr);
      if (!block) break;
      pcm.insert(pcm.end(), block, block + AUDIO_BlockSize * 2);
    }
    pcm.resize(std::min(pcm.size(), frames * 2));
    MUSIC_StopSong(module);
  }
  MUSIC_FreeSong(module);
  AUDIO_MixerUsePath(AUDIO_MixerPath::Scalar);
  return pcm;
}

// Renders the module on the scalar path and on every vector path; the streams must agree.
// The corpus holds broken files too: what does not load is the loader tests' business.
// Returns whether it loaded.
bool ExpectSameOnEveryPath(const std::string& name, double seconds, const std::vector<AUDIO_MixerPath>& paths) {
  const std::vector<std::int16_t> reference = Render(name, seconds, AUDIO_MixerPath::Scalar);
  if (reference.empty()) return false;
  for (AUDIO_MixerPath path : paths) {
    EXPECT_TRUE(Render(name, seconds, path) == reference) << name << " on " << AUDIO_MixerPathName(path);
  }
  return true;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
}

// Every module of the shared corpus, in name order.
std::vector<std::string> CorpusModules() {
  std::vector<std::string> names;
  const std::filesystem::path dir = std::filesystem::path(TARVELON_SHARED_DIR) / "xm" / "modules";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
    if (entry.path().extension() == ".xm") names.push_back(entry.path().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(MixerPaths, SongsRenderTheSameOnEveryPath) {
  const std::vector<AUDIO_MixerPath> paths = VectorPaths();
  if (paths.empty()) GTEST_SKIP() << "no vector path on this CPU";
  AUDIO_File_SetCallbacks(memopen, memclose, memread, memseek, memtell);
  EXPECT_TRUE(ExpectSameOnEveryPath("embedded song", 70.0, paths));

  const std::vector<std::string> modules = CorpusModules();
  ASSERT_FALSE(modules.empty()) << "no modules in the shared corpus";
  for (const std::string& path : modules) {
    const std::vector<std::uint8_t> bytes = ReadFile(path);
    bytesource::Install(bytes.data(), bytes.size());
    ExpectSameOnEveryPath(path, 20.0, paths);
  }
}

}  // namespace
