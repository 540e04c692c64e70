// The song controls' shared state: the playing song and the position recorded for every
// output block. The sound output writes the records; the position queries read them.
#pragma once

#include <atomic>
#include <cstdint>

#include "player/music.h"

// The one module being played, or null. Set before any mixing, cleared by MUSIC_StopSong.
extern MUSIC_MODULE* MUSIC_PlayingSong;

// One packed time-info entry per block (order in bits 0-7, row in bits 8-15, milliseconds in
// bits 32-63), each published whole, so a reader on another thread never sees half an entry.
// Null while nothing plays.
extern std::atomic<std::uint64_t>* MUSIC_TimeInfo;
extern std::int32_t MUSIC_TimeInfoCount;

// Creates `blocks` zeroed entries (false when memory is short) / releases them.
bool MUSIC_CreateTimeInfo(std::int32_t blocks);
void MUSIC_ReleaseTimeInfo();
// Out-of-range blocks are ignored on writing and read as all zeros.
void MUSIC_RecordTimeInfo(std::int32_t block, const MUSIC_TIMEINFO& entry);
MUSIC_TIMEINFO MUSIC_ReadTimeInfo(std::int32_t block);
