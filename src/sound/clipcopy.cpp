#include "sound/clipcopy.h"

#include "sound/mixer_kernels.h"

void AUDIO_MixerClipCopy_Float32(std::int16_t* destination, const float* source, std::int32_t frames) {
  if (!destination || !source || frames <= 0) return;
  ActiveKernels().clip_copy(destination, source, std::int64_t(frames) * 2);
}
