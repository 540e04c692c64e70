// Every mixer path reads only the samples the scalar kernel reads. Each run is placed against
// an unreadable page, after its data and before it, so that one sample too many ends the test;
// and every path must give the scalar path's sums and cursor. The runs cross the kernels'
// seams: steps around the four-sample window limit, both directions, lengths around the
// eight-frame steps and the 64-frame chunks.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <random>
#include <vector>

#include "sound/mixer.h"
#include "sound/mixer_kernels.h"
#include "sound/mixer_path.h"

namespace {

// Three runs of pages: unreadable, readable, unreadable.
class GuardedPages {
 public:
  GuardedPages() {
    page_ = std::size_t(sysconf(_SC_PAGESIZE));
    base_ = static_cast<unsigned char*>(mmap(nullptr, 3 * kDataPages * page_, PROT_READ | PROT_WRITE,
                                             MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    if (base_ == MAP_FAILED) base_ = nullptr;
    if (!base_) return;
    mprotect(base_, kDataPages * page_, PROT_NONE);
    mprotect(base_ + 2 * kDataPages * page_, kDataPages * page_, PROT_NONE);
  }
  ~GuardedPages() {
    if (base_) munmap(base_, 3 * kDataPages * page_);
  }
  bool ok() const { return base_ != nullptr; }
  std::size_t capacity() const { return kDataPages * page_ / sizeof(std::int16_t); }
  // `samples` samples that start right after the first unreadable page, or end right before
  // the second.
  std::int16_t* AtStart() const { return reinterpret_cast<std::int16_t*>(base_ + kDataPages * page_); }
  std::int16_t* AtEnd(std::size_t samples) const {
    return reinterpret_cast<std::int16_t*>(base_ + 2 * kDataPages * page_) - samples;
  }

 private:
  static constexpr std::size_t kDataPages = 4;
  std::size_t page_ = 0;
  unsigned char* base_ = nullptr;
};

struct Case {
  std::uint64_t step;  // 32.32 samples a frame
  bool forwards;
  std::uint64_t frames;
  std::uint32_t fraction;  // of the first cursor
};

// The first cursor of a run of `c`, and the lowest and highest sample index it reads, as the
// scalar kernel walks it (the first frame at the cursor, then the advance without its low bit).
struct Walk {
  std::uint64_t cursor;
  std::uint32_t lowest;
  std::uint32_t highest;
};

Walk WalkOf(const Case& c) {
  const std::uint64_t stride = c.step & ~std::uint64_t(1);
  // Backwards, the run starts high enough that its last frame reads at index 1 or 0.
  std::uint64_t cursor = c.forwards ? c.fraction : (c.frames + 1) * stride + (std::uint64_t(1) << 32) + c.fraction;
  const std::uint64_t advance = c.forwards ? c.step : 0 - c.step;
  std::uint64_t at = cursor, lowest = ~std::uint64_t(0), highest = 0;
  for (std::uint64_t frame = 0; frame < c.frames; ++frame) {
    lowest = std::min(lowest, at >> 32);
    highest = std::max(highest, (at >> 32) + 1);
    at = (at & ~std::uint64_t(1)) + advance;
  }
  // Slide the run down so that its lowest read is index 0.
  cursor -= lowest << 32;
  return {cursor, 0, std::uint32_t(highest - lowest)};
}

std::vector<Case> Cases() {
  std::vector<Case> cases;
  const std::uint64_t steps[] = {0x0'5F000001, 0x1'00000000, 0x1'80000001, 0x3'FFFFFFFF,
                                 0x4'00000000, 0x6'80000001, 0x11'40000000};
  const std::uint64_t lengths[] = {1, 7, 8, 9, 63, 64, 65, 72, 130};
  const std::uint32_t fractions[] = {0, 0x80000001u, 0xFFFFFFFFu};
  for (const std::uint64_t step : steps)
    for (const bool forwards : {true, false})
      for (const std::uint64_t frames : lengths)
        for (const std::uint32_t fraction : fractions) cases.push_back({step, forwards, frames, fraction});
  return cases;
}

struct Result {
  std::vector<float> out;
  std::uint64_t cursor;
  RampGains gains;
};

// The ramps each run is also mixed through: gains whose sums round (as no ramp of the player's
// does), a ramp the player plans (level 200 down to 37, 0 up to 255), and one whose sums are
// exact until they reach 2, past which the sum rounds on every frame.
const RampGains kRamps[] = {
    {0.2, 0.7, 0.001, -0.002},
    {double(200 * 256) * double(mix_1over256) * double(mix_1over255), 0.0,
     float(double(37 - 200) * double(mix_1over255) * double(mix_1overvolumerampsteps)),
     float(double(255) * double(mix_1over255) * double(mix_1overvolumerampsteps))},
    {2.0 - 0x1p-51, 0.5, 0x1p-52, 0.0},
};
constexpr int kSteady = int(std::size(kRamps));

Result Mix(const MixKernels& kernels, const std::int16_t* data, const Case& c, const Walk& walk, int gains) {
  Result result{std::vector<float>(2 * c.frames, 0.25f), 0, gains == kSteady ? RampGains{} : kRamps[gains]};
  const MixRun run{result.out.data(), c.frames, data, walk.cursor, c.forwards ? c.step : 0 - c.step};
  result.cursor = gains == kSteady ? kernels.steady(run, 0.8, 0.3) : kernels.ramp(run, &result.gains);
  return result;
}

TEST(MixerBounds, EveryPathReadsOnlyTheScalarSamplesAndGivesItsBits) {
  GuardedPages pages;
  ASSERT_TRUE(pages.ok()) << "cannot map pages";
  std::mt19937 random(20261208);
  std::vector<std::int16_t> samples(pages.capacity());
  for (std::int16_t& sample : samples) sample = std::int16_t(random());

  int checked = 0;
  for (const Case& c : Cases()) {
    const Walk walk = WalkOf(c);
    const std::size_t length = std::size_t(walk.highest) + 1;
    ASSERT_LE(length, pages.capacity());
    for (const bool at_end : {false, true}) {
      std::int16_t* data = at_end ? pages.AtEnd(length) : pages.AtStart();
      std::memcpy(data, samples.data(), length * sizeof(std::int16_t));
      for (int gains = 0; gains <= kSteady; ++gains) {
        const bool ramp = gains != kSteady;
        AUDIO_MixerUsePath(AUDIO_MixerPath::Scalar);
        const Result reference = Mix(ActiveKernels(), data, c, walk, gains);
        for (const AUDIO_MixerPath path : AUDIO_MixerKnownPaths()) {
          if (path == AUDIO_MixerPath::Scalar || !AUDIO_MixerUsePath(path)) continue;
          const Result got = Mix(ActiveKernels(), data, c, walk, gains);
          const std::string where = std::string(AUDIO_MixerPathName(path)) +
                                    (ramp ? " ramp " + std::to_string(gains) : std::string(" steady")) +
                                    ", step " + std::to_string(c.step) + (c.forwards ? " forwards" : " backwards") +
                                    ", " + std::to_string(c.frames) + " frames, fraction " +
                                    std::to_string(c.fraction) + (at_end ? ", data at the end" : ", data at the start");
          ASSERT_EQ(got.cursor, reference.cursor) << where;
          ASSERT_EQ(std::memcmp(got.out.data(), reference.out.data(), got.out.size() * sizeof(float)), 0) << where;
          if (ramp) {
            ASSERT_EQ(std::memcmp(&got.gains, &reference.gains, sizeof(RampGains)), 0) << where;
          }
          ++checked;
        }
      }
    }
  }
  // On a processor with no vector path there is nothing to compare; x86-64 has SSE2 at least.
  const bool has_vectors = AUDIO_MixerUsePath(AUDIO_MixerPath::Sse2);
  AUDIO_MixerUsePath(AUDIO_MixerPath::Scalar);
  if (has_vectors) {
    EXPECT_EQ(checked, int(Cases().size()) * 2 * (kSteady + 1) * (int(AUDIO_MixerKnownPaths().size()) - 1));
  }
}

}  // namespace
