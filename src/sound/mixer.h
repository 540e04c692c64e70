// The software mixer: adds voices 0 ... 63 of AUDIO_Channel into float stereo frames, with
// linear interpolation at a 32.32 cursor, forward / ping-pong / one-shot playback and a short
// linear ramp towards every new target gain, so that notes neither click in nor out.
#pragma once

#include <cstdint>

#include "sound/voice.h"

// Voices visited by AUDIO_Mixer_FPU_Ramp: each music channel alternates between two of them.
constexpr int kMixedVoiceCount = 64;

// Frames per ramp (128 at 44,100 Hz) and its reciprocal; set with the output geometry.
extern std::int32_t mix_volumerampsteps;
extern float mix_1overvolumerampsteps;

// Single-precision constants of the mix arithmetic.
extern const float mix_255;
extern const float mix_256;
extern const float mix_1over255;   // 0.0039215684
extern const float mix_1over256;   // 0.00390625
extern const float mix_1over2gig;  // bits 0x2FFFF910, a hair below 2^-31

// Adds voices 0 ... 63 to `count` frames (two floats each, left first) starting at `buffer`.
// The third argument is unused. Nothing happens for count <= 0 or a null buffer.
void AUDIO_Mixer_FPU_Ramp(float* buffer, std::int32_t count, std::int32_t unused);

// Adds one voice to the frames buffer ... end - 1 and moves its cursor, direction, sample and
// ramp state along. A null voice or one without a sample is left alone.
void AUDIO_Mixer_FPU_Ramp_ASM(AUDIO_Voice* voice, float* buffer, std::int32_t count, float* end);

// Whether the voice adds nothing to the mix and will add nothing until its target gains
// change: no ramp running or due, and both target gains 0.
bool AUDIO_MixerVoiceFadedOut(const AUDIO_Voice* voice);
