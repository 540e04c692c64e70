// The sound output: the device, the ring of 100 blocks it loops over, and the feeder thread
// that re-mixes every block the device has left behind.
//
// Geometry: a block is rate / 50 frames rounded up to a multiple of 4 (884 at 44,100 Hz);
// the ring holds 100 blocks of interleaved signed 16-bit stereo, and a float mix area of the
// same frame layout receives the mixer's output before each block is clipped into the ring.
#pragma once

#include <atomic>
#include <cstdint>

#include "player/music.h"

extern std::int32_t AUDIO_MixRate;    // Hz
extern float AUDIO_OOMixRate;         // 1 / AUDIO_MixRate in single precision
extern std::int32_t AUDIO_BufferSizeMs;  // 1000
extern std::int32_t AUDIO_BlockSize;  // frames per block; 0 while no output is open
extern std::int32_t AUDIO_BufferSize;  // frames in the ring: 100 blocks

// The 16-bit ring the device loops over (AUDIO_BufferSize x 2 samples).
struct AUDIO_MIXBLOCK {
  std::int16_t* data;
  std::uint32_t bytes;
};
extern AUDIO_MIXBLOCK AUDIO_MixBlock;

// The float mix area: AUDIO_MixBufferMem is the allocation, AUDIO_MixBuffer its first 16-byte
// boundary.
extern void* AUDIO_MixBufferMem;
extern float* AUDIO_MixBuffer;

extern std::int32_t AUDIO_Software_FillBlock;               // next block to mix
extern std::atomic<std::int32_t> AUDIO_Software_RealBlock;  // block the device plays
extern std::atomic<std::uint8_t> AUDIO_Software_Exit;            // asks the feeder to end
extern std::atomic<std::uint8_t> AUDIO_Software_UpdateMutex;     // raised around each refill
extern std::atomic<std::uint8_t> AUDIO_Software_ThreadFinished;  // 0 while a feeder runs
// While raised the feeder thread skips its turns, as a feeder starved of time would (tests).
extern std::atomic<std::uint8_t> AUDIO_Software_Hold;

// Opens the default device at `rate` (1) or fails (0): without a complete file-callback table,
// for a rate below 50 Hz, or when there is no device. Stops a playing song first.
std::int32_t AUDIO_Init(std::int32_t rate);
// Stops a playing song, closes the device and forgets the geometry.
void AUDIO_Close();
// 1 while AUDIO_Init or AUDIO_InitOffline has set up an output.
std::int32_t AUDIO_OutputOpen();

// Mixes block AUDIO_Software_FillBlock of MUSIC_PlayingSong, records its time-info entry,
// clips it into the ring and moves on to the next block. Does nothing while no song streams.
void AUDIO_Software_Fill();
// One look at the device: refills every block from AUDIO_Software_FillBlock up to, not
// including, the block holding byte `device_bytes` of the looping ring.
void AUDIO_Software_Poll(std::uint64_t device_bytes);
// One turn of the feeder: refills as AUDIO_Software_Poll does, unless the device has gone
// all the way round the ring since the last turn (the feeder was held up for longer than the
// ring lasts). Then every block but the playing one is a lap old: the ring is mixed afresh
// from the block after the playing one, and the clock moves on to the end of the music mixed
// before the stall, which the device has played by then.
void AUDIO_Software_Follow(std::uint64_t device_bytes);
// One step of the feeder: follows the device as AUDIO_Software_Follow does, from where the
// device is (or, once it has gone away, would be by the wall clock). Does nothing once
// AUDIO_Software_Exit is raised. The feeder thread loops it; a device that calls it itself
// whenever it has moved on (platform::AudioDriveFeeder) runs it instead.
void AUDIO_Software_FeederStep();
// The feeder thread: one step every 5 ms until AUDIO_Software_Exit is raised. Once the
// device has gone away for good it follows the wall clock from where the device stopped, so
// the song and its clock go on unheard. Returns 0.
std::uint32_t AUDIO_Software_DoubleBufferThread(void* parameter);

// The streaming half of MUSIC_PlaySong: creates the time-info entries, the ring and the mix
// area; with a device it mixes the whole ring, hands it to the device and hands the feeder's
// step to the device, or starts the feeder thread where the device does not take it.
// 0 (with whatever was made still to be released by the stop) when something cannot be had.
std::int32_t AUDIO_Software_StartStreaming();
// The streaming half of MUSIC_StopSong: returns only after the feeder has ended; the device
// forgets the ring, then the ring, the mix area and the time-info entries are released and
// MUSIC_PlayingSong is cleared. The device stays open.
void AUDIO_Software_StopStreaming();

// Offline rendering, for tools that want the player's exact output without a device:
//   AUDIO_InitOffline(rate);              // geometry and voices as AUDIO_Init, no device
//   MUSIC_PlaySong(module);               // resets the song, creates the buffers, mixes nothing
//   while (...) {
//     MUSIC_TIMEINFO info;
//     const std::int16_t* frames = AUDIO_Offline_FillNext(&info);
//     // AUDIO_BlockSize frames, left then right; `info` holds order, row and milliseconds at
//     // the block's end, which MUSIC_GetTime now reports too.
//   }
//   MUSIC_StopSong(module);
// The blocks come out in play order, each mixed by AUDIO_Software_Fill exactly as the feeder
// would mix it for the device.
std::int32_t AUDIO_InitOffline(std::int32_t rate);
// The next block, valid until 100 more blocks are mixed; null unless a song was started on an
// offline output.
const std::int16_t* AUDIO_Offline_FillNext(MUSIC_TIMEINFO* info);
