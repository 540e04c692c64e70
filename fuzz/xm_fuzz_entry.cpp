#include "xm_fuzz_entry.h"

#include "byte_source.h"
#include "player/music.h"
#include "sound/output.h"

namespace {
constexpr std::int32_t kRate = 44100;
}

int FuzzLoadAndRender(const std::uint8_t* data, std::size_t size) {
  bytesource::Install(data, size);
  MUSIC_MODULE* module = MUSIC_LoadSong(data, nullptr);
  if (module == nullptr) return 0;
  if (AUDIO_InitOffline(kRate) && MUSIC_PlaySong(module)) {
    for (std::int64_t frames = 0; frames < kRate; frames += AUDIO_BlockSize) {
      if (AUDIO_Offline_FillNext(nullptr) == nullptr) break;
    }
    MUSIC_StopSong(module);
  }
  MUSIC_FreeSong(module);
  return 1;
}
