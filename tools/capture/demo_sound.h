// The demo's sound as the device plays it, and the music clock the picture reads meanwhile,
// made offline: the song is mixed block by block exactly as the feeder mixes it for the device,
// and each block keeps the time-info entry MUSIC_GetTime reports while the device plays it.
#pragma once

#include <cstdint>
#include <vector>

struct DemoSound {
  std::int32_t rate = 0;          // sample frames per second
  std::int32_t block_frames = 0;  // sample frames per output block
  std::vector<std::int16_t> samples;      // interleaved stereo from the first block on
  std::vector<std::uint32_t> block_clock;  // MUSIC_GetTime while each block plays, in ms

  std::int64_t frames() const { return std::int64_t(samples.size() / 2); }
  // The clock the demo reads while the device plays sample frame `frame`.
  std::uint32_t ClockAt(std::int64_t frame) const;
};

// Mixes the embedded song from its start until the clock has passed `until_ms`, and then
// `extra_frames` more. False when the song cannot be loaded or played.
bool RenderDemoSound(std::uint32_t until_ms, std::int64_t extra_frames, DemoSound* sound);
