#include <cstdint>

#include "player/music.h"
#include "scene/clock.h"

void SesGuncelle(MUSIC_MODULE* module) {
  // The player counts unsigned milliseconds; going through 64 bits keeps the nearest float
  // even past 2^31.
  const auto milliseconds = static_cast<std::uint32_t>(MUSIC_GetTime(module));
  mytime = static_cast<float>(static_cast<std::int64_t>(milliseconds));
}
