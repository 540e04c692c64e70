#include "sound/output.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <thread>

#include "platform/platform.h"
#include "player/music_control.h"
#include "sound/allocation.h"
#include "sound/clipcopy.h"
#include "sound/file_access.h"
#include "sound/mixer.h"

std::int32_t AUDIO_MixRate = 0;
float AUDIO_OOMixRate = 0.0f;
std::int32_t AUDIO_BufferSizeMs = 1000;
std::int32_t AUDIO_BlockSize = 0;
std::int32_t AUDIO_BufferSize = 0;
AUDIO_MIXBLOCK AUDIO_MixBlock = {nullptr, 0};
void* AUDIO_MixBufferMem = nullptr;
float* AUDIO_MixBuffer = nullptr;
std::int32_t AUDIO_Software_FillBlock = 0;
std::atomic<std::int32_t> AUDIO_Software_RealBlock{0};
std::atomic<std::uint8_t> AUDIO_Software_Exit{0};
std::atomic<std::uint8_t> AUDIO_Software_UpdateMutex{0};
std::atomic<std::uint8_t> AUDIO_Software_ThreadFinished{1};
std::atomic<std::uint8_t> AUDIO_Software_Hold{0};

namespace {

enum class Output { None, Device, Offline };
Output g_output = Output::None;
std::thread g_feeder;  // the feeder's handle; joined (and so released) by the stop
// The device's block (counted from the start of the loop, never wrapping) at the feeder's
// last turn.
std::uint64_t g_followed_block = 0;

std::int32_t BlockSizeFor(std::int32_t rate) { return rate > 0 ? ((rate / 50 + 3) & ~3) : 0; }

std::int32_t BlockCount() { return AUDIO_BlockSize > 0 ? AUDIO_BufferSize / AUDIO_BlockSize : 0; }

void SetGeometry(std::int32_t rate) {
  AUDIO_MixRate = rate;
  AUDIO_BlockSize = BlockSizeFor(rate);
  AUDIO_BufferSize = AUDIO_BlockSize * (AUDIO_BufferSizeMs / 20) * 2;
  mix_volumerampsteps = rate * 128 / 44100;
  AUDIO_OOMixRate = 1.0f / float(rate);
  mix_1overvolumerampsteps = 1.0f / float(mix_volumerampsteps);
}

// Every voice silent, each knowing its slot, each with a step that is never 0.
void ResetVoices() {
  for (int i = 0; i < 256; ++i) {
    std::memset(&AUDIO_Channel[i], 0, sizeof(AUDIO_Voice));
    AUDIO_Channel[i].slot = i;
    AUDIO_Channel[i].step = 1;
  }
}

// After a stall longer than the ring every block but the one playing holds music a lap old.
// The ring starts afresh after the playing block, going on with the song where the mixing
// stopped. The device has played everything mixed before the stall by now, so the playing
// block reports the end of that: the clock moves on to what was heard and never steps back.
void RestartRingAfter(std::int32_t playing, std::int32_t blocks) {
  AUDIO_Software_UpdateMutex.store(1);
  const std::int32_t newest = AUDIO_Software_FillBlock > 0 ? AUDIO_Software_FillBlock - 1 : blocks - 1;
  MUSIC_RecordTimeInfo(playing, MUSIC_ReadTimeInfo(newest));
  AUDIO_Software_RealBlock.store(playing);
  AUDIO_Software_FillBlock = playing + 1 >= blocks ? 0 : playing + 1;
  // Block by block, each published before the next, as the device comes right behind.
  while (AUDIO_Software_FillBlock != playing && AUDIO_Software_Exit.load() == 0) {
    AUDIO_Software_Fill();
    if (g_output == Output::Device) platform::AudioPublish();
  }
  AUDIO_Software_UpdateMutex.store(0);
}

// The device's position, or, once the device has gone away and its position stopped, the
// position it would have reached by the wall clock: the song goes on unheard, so the picture
// keeps its clock and the demo still reaches its end.
class FeederPosition {
 public:
  std::uint64_t Bytes() {
    if (!platform::AudioDeviceLost()) return platform::AudioPosition();
    const auto now = std::chrono::steady_clock::now();
    if (!lost_) {
      lost_ = true;
      lost_at_bytes_ = platform::AudioPosition();
      lost_since_ = now;
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - lost_since_).count();
    const std::uint64_t frames = std::uint64_t(elapsed) * std::uint64_t(AUDIO_MixRate) / 1000000u;
    return lost_at_bytes_ + frames * 4;
  }

 private:
  bool lost_ = false;
  std::uint64_t lost_at_bytes_ = 0;
  std::chrono::steady_clock::time_point lost_since_;
};

// Where the device is, for the feeder's steps of the stream now playing.
FeederPosition g_feeder_position;

bool Streaming() { return MUSIC_TimeInfo || AUDIO_MixBlock.data || AUDIO_MixBufferMem || g_feeder.joinable(); }

}  // namespace

std::int32_t AUDIO_OutputOpen() { return g_output != Output::None && AUDIO_BlockSize > 0 ? 1 : 0; }

void AUDIO_Close() {
  // A feeder must not go on mixing with a geometry that is about to change.
  if (Streaming()) AUDIO_Software_StopStreaming();
  platform::AudioClose();
  g_output = Output::None;
  AUDIO_BlockSize = 0;
  AUDIO_BufferSize = 0;
}

std::int32_t AUDIO_Init(std::int32_t rate) {
  if (!AUDIO_File_CallbacksInstalled()) return 0;
  AUDIO_Close();
  AUDIO_MixRate = rate;
  // Below 50 Hz a block would hold no frames.
  if (BlockSizeFor(rate) <= 0) return 0;
  if (!platform::AudioOpen(rate)) return 0;
  SetGeometry(rate);
  ResetVoices();
  g_output = Output::Device;
  return 1;
}

std::int32_t AUDIO_InitOffline(std::int32_t rate) {
  if (BlockSizeFor(rate) <= 0) return 0;
  AUDIO_Close();
  SetGeometry(rate);
  ResetVoices();
  g_output = Output::Offline;
  return 1;
}

void AUDIO_Software_Fill() {
  MUSIC_MODULE* song = MUSIC_PlayingSong;
  const std::int32_t block_size = AUDIO_BlockSize;
  const std::int32_t blocks = BlockCount();
  if (!song || blocks <= 0 || !AUDIO_MixBuffer || !AUDIO_MixBlock.data) return;
  if (AUDIO_Software_FillBlock < 0 || AUDIO_Software_FillBlock >= blocks) AUDIO_Software_FillBlock = 0;

  const std::int32_t block = AUDIO_Software_FillBlock;
  const std::ptrdiff_t offset = std::ptrdiff_t(block) * block_size;
  float* area = AUDIO_MixBuffer + offset * 2;
  std::memset(area, 0, sizeof(float) * 2 * std::size_t(block_size));

  std::int32_t mixed = 0;
  std::int32_t left = song->mix_samples_left;
  while (mixed < block_size) {
    if (left <= 0) {
      if (song->update) song->update(song);
      // Read after the tick, so a tempo change made by this tick already applies to it.
      left = song->mix_samples_per_tick;
      // A tick without length would never let the block end; the block's rest is one tick.
      if (left <= 0) left = block_size - mixed;
    }
    std::int32_t length = left;
    if (std::int64_t(mixed) + left > block_size) length = block_size - mixed;
    AUDIO_Mixer_FPU_Ramp(area + std::ptrdiff_t(mixed) * 2, length, 0);
    mixed += length;
    left -= length;
    // Each chunk's fraction of a millisecond is dropped: the music clock is counted this way.
    song->time_ms += std::int32_t(std::trunc(double(length) * double(AUDIO_OOMixRate) * 1000.0));
  }

  MUSIC_TIMEINFO entry{};
  entry.order = std::uint8_t(song->order);
  entry.row = std::uint8_t(song->row);
  entry.time_ms = song->time_ms;
  MUSIC_RecordTimeInfo(block, entry);
  song->mix_samples_left = left;

  AUDIO_MixerClipCopy_Float32(AUDIO_MixBlock.data + offset * 2, area, block_size);
  AUDIO_Software_FillBlock = block + 1 >= blocks ? 0 : block + 1;
}

void AUDIO_Software_Poll(std::uint64_t device_bytes) {
  const std::int32_t blocks = BlockCount();
  if (blocks <= 0 || !MUSIC_PlayingSong) return;
  const std::uint64_t frames = device_bytes / 4;
  const std::int32_t playing = std::int32_t((frames % std::uint64_t(AUDIO_BufferSize)) / std::uint64_t(AUDIO_BlockSize));
  while (AUDIO_Software_FillBlock != playing) {
    AUDIO_Software_UpdateMutex.store(1);
    // The reported block moves past the one about to be refilled first, so the position
    // queries never read the entry of a block while it is being rewritten.
    const std::int32_t real = AUDIO_Software_RealBlock.load();
    AUDIO_Software_RealBlock.store(real + 1 >= blocks ? 0 : real + 1);
    AUDIO_Software_Fill();
    // The device reads this block next lap; it must see the new samples, not the old ones.
    if (g_output == Output::Device) platform::AudioPublish();
    AUDIO_Software_UpdateMutex.store(0);
  }
}

void AUDIO_Software_Follow(std::uint64_t device_bytes) {
  const std::int32_t blocks = BlockCount();
  if (blocks <= 0 || !MUSIC_PlayingSong) return;
  const std::uint64_t block = device_bytes / 4 / std::uint64_t(AUDIO_BlockSize);
  const bool lapped = block >= g_followed_block + std::uint64_t(blocks);
  g_followed_block = block;
  if (lapped) {
    RestartRingAfter(std::int32_t(block % std::uint64_t(blocks)), blocks);
  } else {
    AUDIO_Software_Poll(device_bytes);
  }
}

void AUDIO_Software_FeederStep() {
  if (AUDIO_Software_Exit.load() != 0) return;
  AUDIO_Software_Follow(g_feeder_position.Bytes());
}

std::uint32_t AUDIO_Software_DoubleBufferThread(void*) {
  platform::SetThreadTimeCritical();
  AUDIO_Software_ThreadFinished.store(0);
  while (AUDIO_Software_Exit.load() == 0) {
    if (AUDIO_Software_Hold.load() == 0) AUDIO_Software_FeederStep();
    platform::SleepMs(5);
  }
  AUDIO_Software_ThreadFinished.store(1);
  return 0;
}

std::int32_t AUDIO_Software_StartStreaming() {
  const std::int32_t blocks = BlockCount();
  if (g_output == Output::None || blocks <= 0 || !MUSIC_PlayingSong) return 0;
  if (!MUSIC_CreateTimeInfo(blocks)) return 0;

  AUDIO_MixBlock.bytes = std::uint32_t(AUDIO_BufferSize) * 4;
  AUDIO_MixBlock.data = static_cast<std::int16_t*>(AUDIO_Calloc(std::size_t(AUDIO_BufferSize), 4));
  if (!AUDIO_MixBlock.data) return 0;

  AUDIO_MixBufferMem = AUDIO_Calloc(std::size_t(AUDIO_BufferSize) * 8 + 256, 1);
  if (!AUDIO_MixBufferMem) return 0;
  const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(AUDIO_MixBufferMem);
  AUDIO_MixBuffer = reinterpret_cast<float*>((address + 15) & ~std::uintptr_t(15));

  AUDIO_Software_FillBlock = 0;
  // The device starts again from the ring's first byte, so its block is 0 again too.
  AUDIO_Software_RealBlock.store(0);
  g_followed_block = 0;
  g_feeder_position = FeederPosition();
  // A new stream: the stop of the last one asked its feeder to end, and an offline stream
  // (which has no feeder) must not inherit that request, or a ring restart would refill nothing.
  AUDIO_Software_Exit.store(0);
  if (g_output == Output::Offline) return 1;

  // About two seconds of music, all mixed on the calling thread before the device starts.
  do {
    AUDIO_Software_Fill();
  } while (AUDIO_Software_FillBlock != 0);
  if (!platform::AudioPlayLooping(AUDIO_MixBlock.data, AUDIO_MixBlock.bytes)) return 0;

  AUDIO_Software_UpdateMutex.store(0);
  // A device that calls the feeder's step itself needs no thread for it.
  if (platform::AudioDriveFeeder(AUDIO_Software_FeederStep, std::uint32_t(AUDIO_BlockSize) * 4)) return 1;
  // Lowered here, not only by the feeder itself, so a stop issued before the new feeder has
  // run a single step still waits for it.
  AUDIO_Software_ThreadFinished.store(0);
  if (!AUDIO_AllocationGranted()) {  // the thread's stack
    AUDIO_Software_ThreadFinished.store(1);
    return 0;
  }
  try {
    g_feeder = std::thread(AUDIO_Software_DoubleBufferThread, nullptr);
  } catch (const std::system_error&) {
    AUDIO_Software_ThreadFinished.store(1);
    return 0;
  }
  return 1;
}

void AUDIO_Software_StopStreaming() {
  AUDIO_Software_Exit.store(1);
  while (AUDIO_Software_UpdateMutex.load() != 0) {
  }
  if (g_feeder.joinable()) {
    while (AUDIO_Software_ThreadFinished.load() == 0) platform::SleepMs(50);
    g_feeder.join();
  }
  // The device must forget the ring before it is released; it stays open for the next song.
  if (AUDIO_MixBlock.data && g_output == Output::Device) platform::AudioReset();
  std::free(AUDIO_MixBufferMem);
  AUDIO_MixBufferMem = nullptr;
  AUDIO_MixBuffer = nullptr;
  std::free(AUDIO_MixBlock.data);
  AUDIO_MixBlock.data = nullptr;
  AUDIO_MixBlock.bytes = 0;
  MUSIC_PlayingSong = nullptr;
  MUSIC_ReleaseTimeInfo();
}

const std::int16_t* AUDIO_Offline_FillNext(MUSIC_TIMEINFO* info) {
  if (g_output != Output::Offline || !MUSIC_PlayingSong || !AUDIO_MixBlock.data) return nullptr;
  const std::int32_t block = AUDIO_Software_FillBlock;
  // The block being made is the one "playing", so MUSIC_GetTime reports its end.
  AUDIO_Software_RealBlock.store(block);
  AUDIO_Software_Fill();
  if (info) *info = MUSIC_ReadTimeInfo(block);
  return AUDIO_MixBlock.data + std::ptrdiff_t(block) * AUDIO_BlockSize * 2;
}
