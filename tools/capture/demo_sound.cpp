#include "demo_sound.h"

#include <algorithm>

#include "content.h"
#include "player/music.h"
#include "shell/window.h"
#include "sound/file_access.h"
#include "sound/memsource.h"
#include "sound/output.h"

std::uint32_t DemoSound::ClockAt(std::int64_t frame) const {
  if (block_clock.empty() || frame < 0) return 0;
  const std::size_t block = std::size_t(frame / block_frames);
  return block_clock[std::min(block, block_clock.size() - 1)];
}

bool RenderDemoSound(std::uint32_t until_ms, std::int64_t extra_frames, DemoSound* sound) {
  // The same source, rate and song as the demo's start-up.
  AUDIO_File_SetCallbacks(memopen, memclose, memread, memseek, memtell);
  if (!AUDIO_InitOffline(kDeviceRate)) return false;
  MUSIC_MODULE* song = MUSIC_LoadSong(muzik, nullptr);
  if (!song || !MUSIC_PlaySong(song)) {
    MUSIC_FreeSong(song);
    AUDIO_Close();
    return false;
  }
  sound->rate = kDeviceRate;
  sound->block_frames = AUDIO_BlockSize;
  sound->samples.clear();
  sound->block_clock.clear();
  std::int64_t frames_past_end = -1;
  bool ok = true;
  while (frames_past_end < extra_frames) {
    const std::int16_t* block = AUDIO_Offline_FillNext(nullptr);
    if (!block) {
      ok = false;
      break;
    }
    sound->samples.insert(sound->samples.end(), block, block + std::ptrdiff_t(AUDIO_BlockSize) * 2);
    // The offline fill makes the block just mixed the one "playing", as the device would.
    const std::uint32_t clock = std::uint32_t(MUSIC_GetTime(song));
    sound->block_clock.push_back(clock);
    if (frames_past_end >= 0) {
      frames_past_end += AUDIO_BlockSize;
    } else if (clock > until_ms) {
      frames_past_end = 0;
    }
  }
  MUSIC_StopSong(song);
  MUSIC_FreeSong(song);
  AUDIO_Close();
  return ok;
}
