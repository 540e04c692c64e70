// A small song made by hand for the sound tests: no loader, just a module record whose own
// update function plays a looping tone on alternating twin voices, one note per row.
#pragma once

#include <cstdint>
#include <vector>

#include "player/music.h"

namespace testsong {

struct Song {
  MUSIC_MODULE module{};
  MUSIC_SAMPLE sample{};
  std::vector<std::int16_t> data;
};

// Ticks run since the last ResetCounters (the update function counts them).
extern int g_updates;
// AUDIO_Software_FillBlock at each tick: which block every tick started in.
extern std::vector<int> g_update_blocks;
// AUDIO_Software_RealBlock at each tick: the block the position queries reported meanwhile.
extern std::vector<int> g_update_real_blocks;
void ResetCounters();

// Speed 3, tempo `bpm`, two channels; every row triggers the tone with a new pitch and gain
// on voice 0 or its twin 32, and the voice left behind fades out.
void Make(Song* song, std::int16_t bpm);

}  // namespace testsong
