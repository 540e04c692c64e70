// The music clock as the demo reads it, replayed without mixing: the feeder mixes blocks of
// 884 frames, splits them at tick boundaries, and every piece adds its milliseconds with the
// fraction dropped. This is what lets the song place its sections on the picture's cuts.
#pragma once

#include <cstdint>
#include <vector>

namespace songclock {

struct BlockRecord {
  std::int64_t end_frame;  // audio frames mixed when the block is complete
  std::int32_t time_ms;    // the clock recorded for the block
  std::int32_t row;        // rows started since the beginning (0-based), at the block's end
};

// Frames per tick for a tempo, as the player computes them (2.5 / bpm seconds).
std::int32_t FramesPerTick(std::int32_t bpm, std::int32_t mix_rate);

// Frames per block for a mix rate: rate / 50 rounded up to a multiple of 4.
std::int32_t BlockFrames(std::int32_t mix_rate);

// Milliseconds one mixed piece of `frames` adds to the clock.
std::int32_t ChunkMilliseconds(std::int32_t frames, std::int32_t mix_rate);

// Replays `blocks` blocks at a fixed tempo and speed from the start of the song.
std::vector<BlockRecord> Replay(std::int32_t bpm, std::int32_t speed, std::int32_t mix_rate,
                                std::int32_t blocks);

// The first block whose recorded clock reaches `clock_ms`; -1 if none of `records` does.
std::int32_t FirstBlockAt(const std::vector<BlockRecord>& records, std::int32_t clock_ms);

}  // namespace songclock
