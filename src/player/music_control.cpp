// Song controls: start, stop, tempo, and the position of what the device is playing.
#include "player/music_control.h"

#include <cmath>
#include <cstring>
#include <new>

#include "player/xm.h"
#include "sound/allocation.h"
#include "sound/mixer.h"
#include "sound/output.h"

MUSIC_MODULE* MUSIC_PlayingSong = nullptr;
std::atomic<std::uint64_t>* MUSIC_TimeInfo = nullptr;
std::int32_t MUSIC_TimeInfoCount = 0;

// The song controls reset this table when a song starts, so they own it.
MUSIC_CHANNEL MUSIC_Channel[32];

namespace {

constexpr int kChannelTableSize = 32;

std::uint64_t Pack(const MUSIC_TIMEINFO& entry) {
  return std::uint64_t(entry.order) | (std::uint64_t(entry.row) << 8) |
         (std::uint64_t(std::uint32_t(entry.time_ms)) << 32);
}

MUSIC_TIMEINFO Unpack(std::uint64_t packed) {
  MUSIC_TIMEINFO entry{};
  entry.order = std::uint8_t(packed);
  entry.row = std::uint8_t(packed >> 8);
  entry.time_ms = std::int32_t(std::uint32_t(packed >> 32));
  return entry;
}

}  // namespace

bool MUSIC_CreateTimeInfo(std::int32_t blocks) {
  MUSIC_ReleaseTimeInfo();
  if (blocks <= 0 || !AUDIO_AllocationGranted()) return false;
  MUSIC_TimeInfo = new (std::nothrow) std::atomic<std::uint64_t>[std::size_t(blocks)]();
  if (!MUSIC_TimeInfo) return false;
  MUSIC_TimeInfoCount = blocks;
  return true;
}

void MUSIC_ReleaseTimeInfo() {
  delete[] MUSIC_TimeInfo;
  MUSIC_TimeInfo = nullptr;
  MUSIC_TimeInfoCount = 0;
}

void MUSIC_RecordTimeInfo(std::int32_t block, const MUSIC_TIMEINFO& entry) {
  if (!MUSIC_TimeInfo || block < 0 || block >= MUSIC_TimeInfoCount) return;
  MUSIC_TimeInfo[block].store(Pack(entry), std::memory_order_release);
}

MUSIC_TIMEINFO MUSIC_ReadTimeInfo(std::int32_t block) {
  if (!MUSIC_TimeInfo || block < 0 || block >= MUSIC_TimeInfoCount) return MUSIC_TIMEINFO{};
  return Unpack(MUSIC_TimeInfo[block].load(std::memory_order_acquire));
}

void MUSIC_SetBPM(MUSIC_MODULE* module, std::int32_t bpm) {
  if (!module) return;
  module->bpm = bpm;
  // A tempo of 0 or below never comes from a valid song; the slowest real tempo keeps the
  // tick finite.
  const double tempo = bpm > 0 ? double(bpm) : 1.0;
  const double samples = ((1000.0 / ((tempo + tempo) / 5.0)) * double(AUDIO_MixRate)) / 1000.0;
  module->mix_samples_per_tick = std::int32_t(std::trunc(samples));
}

std::int32_t MUSIC_PlaySong(MUSIC_MODULE* module) {
  if (!module) return 0;
  // Without an output there is no block geometry to mix into.
  if (!AUDIO_OutputOpen()) return 0;
  MUSIC_StopSong(module);

  module->global_volume = module->default_global_volume;
  module->speed = module->default_speed;
  module->row = 0;
  module->order = 0;
  module->next_order = -1;
  module->next_row = -1;
  module->mix_samples_left = 0;  // the first mixed frame is preceded by a tick
  module->tick = 0;
  module->pattern_delay = 0;
  module->time_ms = 0;
  if (module->play_callback) module->play_callback(module);
  MUSIC_SetBPM(module, module->default_bpm);

  std::int32_t channels = module->channel_count;
  if (channels < 0) channels = 0;
  if (channels > kChannelTableSize) channels = kChannelTableSize;
  for (std::int32_t i = 0; i < channels; ++i) {
    std::memset(&MUSIC_Channel[i], 0, sizeof(MUSIC_CHANNEL));
    MUSIC_Channel[i].voice = &AUDIO_Channel[i];
  }

  MUSIC_PlayingSong = module;
  if (!AUDIO_Software_StartStreaming()) {
    AUDIO_Software_StopStreaming();
    return 0;
  }
  return 1;
}

std::int32_t MUSIC_StopSong(MUSIC_MODULE* module) {
  if (!module) return 0;
  AUDIO_Software_StopStreaming();
  return 1;
}

std::int32_t MUSIC_GetOrder(MUSIC_MODULE* module) {
  if (!module) return 0;
  return MUSIC_ReadTimeInfo(AUDIO_Software_RealBlock.load(std::memory_order_acquire)).order;
}

std::int32_t MUSIC_GetRow(MUSIC_MODULE* module) {
  if (!module) return 0;
  return MUSIC_ReadTimeInfo(AUDIO_Software_RealBlock.load(std::memory_order_acquire)).row;
}

std::int32_t MUSIC_GetTime(MUSIC_MODULE* module) {
  if (!module) return 0;
  return MUSIC_ReadTimeInfo(AUDIO_Software_RealBlock.load(std::memory_order_acquire)).time_ms;
}
