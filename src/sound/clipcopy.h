// The block conversion from the float mix area to the device's 16-bit samples.
#pragma once

#include <cstdint>

// Converts 2 x frames floats to signed 16-bit samples in order: rounded to nearest (ties to
// even), saturated to -32,768 ... 32,767, no scaling, no dither. Nothing for frames <= 0 or a
// null pointer.
void AUDIO_MixerClipCopy_Float32(std::int16_t* destination, const float* source, std::int32_t frames);
