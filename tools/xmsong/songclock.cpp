#include "songclock.h"

namespace songclock {

std::int32_t FramesPerTick(std::int32_t bpm, std::int32_t mix_rate) {
  if (bpm <= 0 || mix_rate <= 0) return 0;
  const double ticks_per_second_over_1000 = 1000.0 / (double(bpm + bpm) / 5.0);
  return std::int32_t((ticks_per_second_over_1000 * double(mix_rate)) / 1000.0);
}

std::int32_t BlockFrames(std::int32_t mix_rate) { return (mix_rate / 50 + 3) & ~3; }

std::int32_t ChunkMilliseconds(std::int32_t frames, std::int32_t mix_rate) {
  if (mix_rate <= 0) return 0;
  // The reciprocal is held in single precision; the product is formed in double.
  const float reciprocal = 1.0f / float(mix_rate);
  return std::int32_t(double(frames) * double(reciprocal) * 1000.0);
}

std::vector<BlockRecord> Replay(std::int32_t bpm, std::int32_t speed, std::int32_t mix_rate,
                                std::int32_t blocks) {
  std::vector<BlockRecord> records;
  const std::int32_t per_tick = FramesPerTick(bpm, mix_rate);
  const std::int32_t block = BlockFrames(mix_rate);
  if (per_tick <= 0 || speed <= 0 || blocks <= 0) return records;
  records.reserve(std::size_t(blocks));
  std::int64_t frames = 0;
  std::int32_t time_ms = 0;
  std::int64_t ticks = 0;  // ticks started so far
  std::int32_t left = 0;
  for (std::int32_t b = 0; b < blocks; ++b) {
    std::int32_t mixed = 0;
    while (mixed < block) {
      if (left == 0) {
        ++ticks;
        left = per_tick;
      }
      std::int32_t len = left;
      if (mixed + left > block) len = block - mixed;
      mixed += len;
      left -= len;
      time_ms += ChunkMilliseconds(len, mix_rate);
    }
    frames += block;
    records.push_back({frames, time_ms, std::int32_t((ticks - 1) / speed)});
  }
  return records;
}

std::int32_t FirstBlockAt(const std::vector<BlockRecord>& records, std::int32_t clock_ms) {
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (records[i].time_ms >= clock_ms) return std::int32_t(i);
  }
  return -1;
}

}  // namespace songclock
