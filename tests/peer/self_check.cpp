#include "self_check.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>

#include "byte_source.h"
#include "player/music.h"
#include "player/xm.h"
#include "sound/mixer.h"
#include "sound/output.h"

namespace peer {

namespace {

constexpr std::int32_t kRate = 22050;
constexpr double kMaxSeconds = 120.0;
// Two renders count as the same when the difference carries at most this share of the
// signal's energy (-20 dB): the mixer's ramps and a note still sounding across a pattern
// boundary leave a little. For pitch, the share of ticks (with both channels sounding) whose
// frequencies differ.
constexpr double kTolerance = 0.01;

struct Render {
  std::int32_t channels = 0;
  std::vector<std::vector<float>> channel_frames;  // per music channel, left/right interleaved
  std::vector<std::int32_t> tick_frame;            // first frame of each tick
  std::vector<std::int32_t> tick_pattern;          // pattern played on each tick
  std::vector<std::vector<std::int32_t>> frequency;  // per channel and tick, 0 when silent
};

bool RenderModule(const std::vector<std::uint8_t>& file, Render* out) {
  bytesource::Install(file.data(), file.size());
  MUSIC_MODULE* module = MUSIC_LoadSong(file.data(), nullptr);
  if (!module) return false;
  if (!AUDIO_InitOffline(kRate) || !MUSIC_PlaySong(module)) {
    MUSIC_FreeSong(module);
    return false;
  }
  const std::int32_t channels = module->channel_count < 32 ? module->channel_count : 32;
  out->channels = channels;
  out->channel_frames.assign(channels, {});
  out->frequency.assign(channels, {});
  bool left_order[256] = {};
  std::int32_t frames = 0;
  while (frames < kMaxSeconds * kRate) {
    const std::int32_t before = module->order;
    const bool row_start = module->tick == 0;
    MUSIC_UpdateXM(module);
    if (row_start && module->order != before) {
      // Play is through once it comes back to an order it has left.
      left_order[before & 0xff] = true;
      if (left_order[module->order & 0xff]) break;
    }
    out->tick_frame.push_back(frames);
    out->tick_pattern.push_back(module->order_table[module->order & 0xff]);
    const std::int32_t length = module->mix_samples_per_tick > 0 ? module->mix_samples_per_tick : 1;
    for (std::int32_t c = 0; c < channels; ++c) {
      std::vector<float>& buffer = out->channel_frames[c];
      buffer.resize(static_cast<std::size_t>(frames + length) * 2, 0.0f);
      float* start = buffer.data() + static_cast<std::size_t>(frames) * 2;
      float* end = start + static_cast<std::size_t>(length) * 2;
      AUDIO_Mixer_FPU_Ramp_ASM(&AUDIO_Channel[c], start, length, end);
      AUDIO_Mixer_FPU_Ramp_ASM(&AUDIO_Channel[c + 32], start, length, end);
      const AUDIO_Voice* voice = MUSIC_Channel[c].voice;
      const bool sounding = voice && voice->sample && voice->sample->data && voice->volume > 0;
      out->frequency[c].push_back(sounding ? voice->frequency : 0);
    }
    frames += length;
  }
  MUSIC_StopSong(module);
  MUSIC_FreeSong(module);
  return true;
}

// Energy of a - b over energy of a + b, over `count` samples taken every `stride` floats.
double RelativeDifference(const float* a, const float* b, std::size_t count, std::size_t stride) {
  double diff = 0, signal = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const double x = a[i * stride], y = b[i * stride];
    diff += (x - y) * (x - y);
    signal += x * x + y * y;
  }
  if (signal == 0) return 0;
  return diff / signal;
}

SelfCheck Patterns(const Render& render) {
  SelfCheck check;
  check.ran = true;
  // First tick of the first stretch of pattern 0 and of pattern 1.
  std::int64_t start[2] = {-1, -1}, end[2] = {-1, -1};
  for (std::size_t t = 0; t < render.tick_pattern.size(); ++t) {
    const std::int32_t p = render.tick_pattern[t];
    for (int k = 0; k < 2; ++k) {
      if (p == k && start[k] < 0) start[k] = render.tick_frame[t];
      if (p != k && start[k] >= 0 && end[k] < 0) end[k] = render.tick_frame[t];
    }
  }
  const std::int64_t total = render.channel_frames.empty() ? 0 : render.channel_frames[0].size() / 2;
  for (int k = 0; k < 2; ++k) {
    if (end[k] < 0) end[k] = total;
  }
  if (start[0] < 0 || start[1] < 0) {
    check.passed = false;
    check.detail = "pattern 0 or 1 never played";
    return check;
  }
  const std::int64_t length = std::min(end[0] - start[0], end[1] - start[1]);
  std::vector<float> mix0(length * 2, 0.0f), mix1(length * 2, 0.0f);
  for (const auto& frames : render.channel_frames) {
    for (std::int64_t i = 0; i < length * 2; ++i) {
      mix0[i] += frames[start[0] * 2 + i];
      mix1[i] += frames[start[1] * 2 + i];
    }
  }
  check.worst = RelativeDifference(mix0.data(), mix1.data(), length * 2, 1);
  check.passed = check.worst <= kTolerance;
  std::ostringstream detail;
  detail << length << " frames compared";
  check.detail = detail.str();
  return check;
}

SelfCheck ChannelPairs(const Render& render, const std::string& kind) {
  SelfCheck check;
  check.ran = true;
  check.passed = true;
  for (std::int32_t c = 0; c + 1 < render.channels; c += 2) {
    const auto& a = render.channel_frames[c];
    const auto& b = render.channel_frames[c + 1];
    const std::size_t frames = a.size() / 2;
    double worst = 0;
    if (kind == "pitcheq") {
      std::size_t differ = 0, both = 0;
      for (std::size_t t = 0; t < render.frequency[c].size(); ++t) {
        const std::int32_t fa = render.frequency[c][t], fb = render.frequency[c + 1][t];
        if (fa == 0 || fb == 0) continue;
        ++both;
        if (fa != fb) ++differ;
      }
      worst = both ? static_cast<double>(differ) / both : 0;
    } else if (kind == "eq") {
      worst = RelativeDifference(a.data(), b.data(), frames * 2, 1);
    } else if (kind == "leql") {
      worst = RelativeDifference(a.data(), b.data(), frames, 2);
    } else {  // lreqrl: one channel's left is the other's right, and the other way round
      worst = std::max(RelativeDifference(a.data(), b.data() + 1, frames, 2),
                       RelativeDifference(a.data() + 1, b.data(), frames, 2));
    }
    check.worst = std::max(check.worst, worst);
    if (worst > kTolerance) {
      check.passed = false;
      std::ostringstream detail;
      detail << "channels " << c << " and " << c + 1 << " differ (" << worst << ")";
      if (check.detail.empty()) check.detail = detail.str();
    }
  }
  return check;
}

std::string RuleOf(const std::string& field) {
  const std::string prefix = "EXPECTED-FAIL(XXX) ";
  return field.rfind(prefix, 0) == 0 ? field.substr(prefix.size()) : field;
}

}  // namespace

SelfCheck RunSelfCheck(const std::vector<std::uint8_t>& file, const std::string& field) {
  const std::string rule = RuleOf(field);
  Render render;
  if (file.empty() || !RenderModule(file, &render)) {
    SelfCheck failed;
    failed.detail = "could not play the module";
    return failed;
  }
  if (rule == "pat0_pat1_eq") return Patterns(render);
  const std::string pairs = "channelpairs_";
  if (rule.rfind(pairs, 0) == 0) return ChannelPairs(render, rule.substr(pairs.size()));
  return SelfCheck{};
}

std::vector<std::pair<std::string, std::string>> SelfCheckModules(const std::string& manifest_path) {
  std::vector<std::pair<std::string, std::string>> modules;
  std::ifstream in(manifest_path);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::istringstream split(line);
    std::string field;
    while (std::getline(split, field, '\t')) fields.push_back(field);
    if (fields.size() < 11) continue;
    const std::string rule = RuleOf(fields[10]);
    if (rule == "pat0_pat1_eq" || rule.rfind("channelpairs_", 0) == 0) modules.push_back({fields[0], fields[10]});
  }
  return modules;
}

}  // namespace peer
