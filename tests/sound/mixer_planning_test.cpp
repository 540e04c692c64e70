// A pass planned from the step's reciprocal, or from the last pass's count, runs exactly as many
// frames as the division says: at the edges of the operands' ranges and on the voices real
// songs play.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "byte_source.h"
#include "player/music.h"
#include "sound/mixer.h"
#include "sound/mixer_planning.h"
#include "sound/output.h"

namespace {

using mixer_planning::FramesByDivision;
using mixer_planning::FramesByReciprocal;
using mixer_planning::Reciprocal;

constexpr std::uint64_t kScaledLimit = std::uint64_t(1) << 48;  // 2^24 samples in 24.8

// Both counts for `scaled` and its neighbours across the quotient steps around it; the number
// of mismatches, each reported.
int Mismatches(std::uint64_t scaled, std::uint32_t step) {
  const double reciprocal = Reciprocal(step);
  const std::uint64_t whole = scaled / step * step;
  int mismatches = 0;
  for (const std::uint64_t at : {scaled, whole - 1, whole, whole + 1, whole + step - 1, whole + step}) {
    if (at >= kScaledLimit) continue;
    const std::uint64_t expected = FramesByDivision(at, step);
    const std::uint64_t got = FramesByReciprocal(at, step, reciprocal);
    if (got != expected) {
      ADD_FAILURE() << "distance " << at << " step " << step << ": " << got << " frames, not " << expected;
      ++mismatches;
    }
    // The count carried from a last pass near it: right when it answers, and it must answer
    // whenever the count is within one of the last.
    for (std::uint64_t last = expected > 3 ? expected - 3 : 0; last <= expected + 3; ++last) {
      std::uint64_t near = 0;
      const bool answered = mixer_planning::FramesNear(at, last, step, &near);
      const bool within_one = last >= 2 && expected + 1 >= last && expected <= last + 1;
      if (answered != within_one || (answered && near != expected)) {
        ADD_FAILURE() << "distance " << at << " step " << step << " after " << last << " frames: "
                      << (answered ? std::to_string(near) + " frames" : "no answer") << ", not " << expected;
        ++mismatches;
      }
    }
  }
  return mismatches;
}

TEST(MixerPlanning, ReciprocalCountsAreTheDivisionsAtTheEdges) {
  std::vector<std::uint32_t> steps = {1,          2,          3,          7,          255,        256,
                                      257,        0x00FFFFFF, 0x01000000, 0x01000001, 0x7FFFFFFF, 0x80000000,
                                      0x80000001, 0xFFFFFFFE, 0xFFFFFFFF, 0x00AAAAAB, 0x55555555};
  std::mt19937_64 random(20261207);
  for (int i = 0; i < 3000; ++i) steps.push_back(std::uint32_t(random() >> (32 + random() % 32)) | 1u);
  for (const std::uint32_t step : steps) {
    std::vector<std::uint64_t> distances = {0, 1, step, kScaledLimit - 1, kScaledLimit - 2, kScaledLimit - step};
    for (const std::uint64_t quotient : {std::uint64_t(1), std::uint64_t(3), std::uint64_t(1000), std::uint64_t(1) << 20,
                                         (kScaledLimit - 1) / step}) {
      if (quotient * step < kScaledLimit) distances.push_back(quotient * step);
    }
    for (int i = 0; i < 20; ++i) distances.push_back(random() % kScaledLimit);
    int mismatches = 0;
    for (const std::uint64_t distance : distances) mismatches += Mismatches(distance, step);
    ASSERT_EQ(mismatches, 0) << "step " << step;
  }
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
}

// The distance from a playing voice's cursor to the boundary it moves towards, in 32.32, as
// the mixer measures it at the start of a pass; false for a cursor outside its loop.
bool BoundaryDistance(const AUDIO_Voice& voice, std::uint64_t* distance) {
  const MUSIC_SAMPLE* sample = voice.sample;
  const std::uint32_t start = sample->loop_start;
  const std::uint32_t end = sample->loop_start + sample->loop_length;
  if (voice.direction == 1) {
    if (voice.position >= end) return false;
    *distance = (std::uint64_t(end - voice.position) << 32) - voice.position_fraction;
  } else {
    if (voice.position < start || voice.position > end) return false;
    *distance = (std::uint64_t(voice.position - start) << 32) + voice.position_fraction;
  }
  return true;
}

TEST(MixerPlanning, ReciprocalCountsAreTheDivisionsOnTheCorpusVoices) {
  const std::filesystem::path dir = std::filesystem::path(TARVELON_SHARED_DIR) / "xm" / "modules";
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
    if (entry.path().extension() == ".xm") names.push_back(entry.path().string());
  }
  std::sort(names.begin(), names.end());
  ASSERT_FALSE(names.empty()) << "no modules in the shared corpus";

  std::uint64_t checked = 0;
  for (const std::string& name : names) {
    const std::vector<std::uint8_t> bytes = ReadFile(name);
    bytesource::Install(bytes.data(), bytes.size());
    MUSIC_MODULE* module = MUSIC_LoadSong(name.c_str(), nullptr);
    if (!module) continue;  // broken files are the loader tests' business
    if (AUDIO_InitOffline(44100) && MUSIC_PlaySong(module)) {
      // Every voice after every block of the first 10 seconds, where the song has left it.
      for (int block = 0; block < 500 && AUDIO_Offline_FillNext(nullptr); ++block) {
        for (int v = 0; v < kMixedVoiceCount; ++v) {
          const AUDIO_Voice& voice = AUDIO_Channel[v];
          std::uint64_t distance = 0;
          std::uint64_t scaled = 0;
          if (!voice.sample || !BoundaryDistance(voice, &distance) ||
              !mixer_planning::SearchDistance(distance, &scaled))
            continue;
          const std::uint32_t step = mixer_planning::SearchStep(voice.step, voice.step_fraction);
          if (step == 0) continue;
          ASSERT_EQ(Mismatches(scaled, step), 0) << name << ", voice " << v << ", block " << block;
          ++checked;
        }
      }
      MUSIC_StopSong(module);
    }
    MUSIC_FreeSong(module);
  }
  // The corpus plays thousands of voices; a handful would mean the states were not reached.
  EXPECT_GT(checked, 100000u);
}

}  // namespace
