#include "wav_checks.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace songcheck {
namespace {

std::uint32_t Le32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::uint16_t Le16(const unsigned char* p) { return std::uint16_t(p[0] | p[1] << 8); }

}  // namespace

bool ReadWav(const std::string& path, Pcm* pcm, std::string* why) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *why = "cannot open " + path;
    return false;
  }
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) || std::memcmp(bytes.data() + 8, "WAVE", 4)) {
    *why = "not a RIFF WAVE file";
    return false;
  }
  bool have_format = false;
  std::size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const std::uint32_t size = Le32(&bytes[at + 4]);
    const unsigned char* body = &bytes[at + 8];
    const std::size_t available = std::min<std::size_t>(size, bytes.size() - at - 8);
    if (!std::memcmp(&bytes[at], "fmt ", 4) && available >= 16) {
      const std::uint16_t format = Le16(body);
      pcm->channels = Le16(body + 2);
      pcm->rate = int(Le32(body + 4));
      const std::uint16_t bits = Le16(body + 14);
      if ((format != 1 && format != 0xFFFE) || bits != 16 || pcm->channels < 1) {
        *why = "want 16-bit PCM";
        return false;
      }
      have_format = true;
    } else if (!std::memcmp(&bytes[at], "data", 4)) {
      if (!have_format) {
        *why = "data before format";
        return false;
      }
      pcm->samples.resize(available / 2);
      for (std::size_t i = 0; i < pcm->samples.size(); ++i) {
        pcm->samples[i] = std::int16_t(Le16(body + 2 * i));
      }
      return true;
    }
    at += 8 + size + (size & 1);
  }
  *why = "no data chunk";
  return false;
}

std::vector<double> RmsPerSecond(const Pcm& pcm) {
  std::vector<double> result;
  const std::size_t per_second = std::size_t(pcm.rate) * std::size_t(pcm.channels);
  if (per_second == 0) return result;
  for (std::size_t start = 0; start + per_second <= pcm.samples.size(); start += per_second) {
    double sum = 0.0;
    for (std::size_t i = start; i < start + per_second; ++i) {
      const double v = pcm.samples[i] / 32768.0;
      sum += v * v;
    }
    result.push_back(std::sqrt(sum / double(per_second)));
  }
  return result;
}

int LongestClipRun(const Pcm& pcm) {
  int longest = 0;
  for (int c = 0; c < pcm.channels; ++c) {
    int run = 0;
    for (std::size_t i = std::size_t(c); i < pcm.samples.size(); i += std::size_t(pcm.channels)) {
      const std::int16_t v = pcm.samples[i];
      run = (v == 32767 || v == -32768) ? run + 1 : 0;
      longest = std::max(longest, run);
    }
  }
  return longest;
}

double PeakBetween(const Pcm& pcm, double from, double to) {
  if (pcm.channels <= 0) return 0.0;
  const std::size_t begin = std::size_t(std::max(0.0, from) * pcm.rate) * std::size_t(pcm.channels);
  const std::size_t end =
      std::min(pcm.samples.size(), std::size_t(std::max(0.0, to) * pcm.rate) * std::size_t(pcm.channels));
  int peak = 0;
  for (std::size_t i = begin; i < end; ++i) peak = std::max(peak, std::abs(int(pcm.samples[i])));
  return peak / 32768.0;
}

}  // namespace songcheck
