// What a render of the song must show, whichever player made it: sound in every second the
// picture runs, no clipping beyond a few samples, and the blast louder than what leads to it.
#pragma once

#include <gtest/gtest.h>

#include "wav_checks.h"

namespace songcheck {

// Seconds of sound the demo plays (70 s of its clock) plus a margin.
constexpr int kSecondsThatMustSound = 75;
// About -40 dBFS: far below the quietest passage, far above a silent or broken render.
constexpr double kRmsFloor = 0.01;
// Consecutive samples at the 16-bit limits that still count as a momentary overshoot.
constexpr int kLongestAllowedClip = 4;

inline void ExpectSoundsLikeTheSong(const Pcm& pcm) {
  ASSERT_EQ(pcm.channels, 2);
  ASSERT_GE(pcm.Seconds(), double(kSecondsThatMustSound)) << "the render is too short";
  const std::vector<double> rms = RmsPerSecond(pcm);
  for (int s = 0; s < kSecondsThatMustSound; ++s) {
    EXPECT_GT(rms[std::size_t(s)], kRmsFloor) << "second " << s << " is (nearly) silent";
  }
  EXPECT_LE(LongestClipRun(pcm), kLongestAllowedClip);
  // The field blows apart at clock 57 s, 60.3 s into the sound: the hit must stand out.
  const double hit = PeakBetween(pcm, 60.2, 61.0);
  const double before = PeakBetween(pcm, 50.0, 60.2);
  EXPECT_GT(hit, 1.2 * before) << "hit " << hit << " vs the ten seconds before " << before;
}

}  // namespace songcheck
