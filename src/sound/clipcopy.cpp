#include "sound/clipcopy.h"

#include <cmath>

void AUDIO_MixerClipCopy_Float32(std::int16_t* destination, const float* source, std::int32_t frames) {
  if (!destination || !source || frames <= 0) return;
  const std::int32_t samples = frames * 2;
  for (std::int32_t i = 0; i < samples; ++i) {
    // llrintf rounds in the current mode, which is the default nearest-even one; its result
    // is 64 bits wide on every system (a long is 32 bits on Windows), so every finite
    // overload saturates on the side it is on.
    long long value = std::llrintf(source[i]);
    if (value > 32767) value = 32767;
    if (value < -32768) value = -32768;
    destination[i] = static_cast<std::int16_t>(value);
  }
}
