// Loading and releasing a song; the dummy records that silent slots point at.
#include <cstdlib>

#include "player/music.h"
#include "player/xm.h"
#include "sound/allocation.h"
#include "sound/file_access.h"
#include "sound/output.h"

MUSIC_INSTRUMENT MUSIC_DummyInstrument;
MUSIC_SAMPLE MUSIC_DummySample;

MUSIC_MODULE* MUSIC_LoadSong(const void* name, MUSIC_SampleLoadCallback sample_load_callback) {
  AUDIO_FileHandle* file = AUDIO_File_Open(name, 0, 0);
  if (file == nullptr) return nullptr;
  auto* module = static_cast<MUSIC_MODULE*>(AUDIO_Calloc(1, sizeof(MUSIC_MODULE)));
  if (module == nullptr) {
    AUDIO_File_Close(file);
    return nullptr;
  }
  module->sample_load_callback = sample_load_callback;
  int loaded = MUSIC_LoadXM(module, file);
  AUDIO_File_Close(file);
  if (loaded == 1) return module;
  MUSIC_FreeSong(module);
  return nullptr;
}

int MUSIC_FreeSong(MUSIC_MODULE* module) {
  if (module == nullptr) return 0;
  // The feeder must be outside a tick before the song it reads goes away.
  while (AUDIO_Software_UpdateMutex.load()) {
  }
  MUSIC_StopSong(module);
  if (module->instruments != nullptr) {
    for (int i = 0; i < module->instrument_count; ++i) {
      MUSIC_INSTRUMENT* instrument = &module->instruments[i];
      for (int s = 0; s < instrument->sample_count; ++s) {
        MUSIC_SAMPLE* sample = instrument->samples[s];
        if (sample == nullptr || sample == &MUSIC_DummySample) continue;
        std::free(sample->data);
        std::free(sample);
      }
    }
    std::free(module->instruments);
  }
  if (module->patterns != nullptr) {
    for (int p = 0; p < module->pattern_count; ++p) std::free(module->patterns[p].notes);
    std::free(module->patterns);
  }
  std::free(module);
  return 1;
}
