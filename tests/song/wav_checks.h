// Measurements on a rendered song: loudness per second, runs of clipped samples, peaks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace songcheck {

struct Pcm {
  int rate = 0;
  int channels = 0;
  std::vector<std::int16_t> samples;  // interleaved
  double Seconds() const {
    return rate > 0 && channels > 0 ? double(samples.size()) / channels / rate : 0.0;
  }
};

// Reads a 16-bit PCM WAV file; false with a reason when it is not one.
bool ReadWav(const std::string& path, Pcm* pcm, std::string* why);

// RMS of all channels over each whole second, full scale = 1.
std::vector<double> RmsPerSecond(const Pcm& pcm);

// The longest run of consecutive samples of one channel sitting at the 16-bit limits.
int LongestClipRun(const Pcm& pcm);

// Largest absolute sample between two times in seconds, full scale = 1.
double PeakBetween(const Pcm& pcm, double from, double to);

}  // namespace songcheck
