#include "xm_fuzz_entry.h"

#include "byte_source.h"
#include "player/music.h"
#include "player/xm.h"
#include "sound/output.h"

namespace {

int g_ticks = 0;

// The loader's tick, counted, so the render ends after a number of ticks whatever the tempo.
void CountedUpdate(MUSIC_MODULE* module) {
  ++g_ticks;
  MUSIC_UpdateXM(module);
}

}  // namespace

int FuzzLoadAndRender(const std::uint8_t* data, std::size_t size) {
  bytesource::Install(data, size);
  MUSIC_MODULE* module = MUSIC_LoadSong(data, nullptr);
  if (module == nullptr) return 0;
  module->update = CountedUpdate;
  g_ticks = 0;
  if (AUDIO_InitOffline(kFuzzMixRate) && MUSIC_PlaySong(module)) {
    while (g_ticks < kFuzzTicks) {
      if (AUDIO_Offline_FillNext(nullptr) == nullptr) break;
    }
    MUSIC_StopSong(module);
  }
  MUSIC_FreeSong(module);
  return 1;
}
