// Which instruction set the mixer and the clip copy run on. Every path gives the same bits;
// the scalar one is the reference and the fallback. The best path the CPU has is used unless
// the environment variable TARVELON_MIXER names another ("scalar", "sse2", "avx2",
// "avx512"); a path the
// CPU lacks is never used.
#pragma once

#include <vector>

enum class AUDIO_MixerPath { Scalar, Sse2, Avx2, Avx512 };

// Every path the mixer knows, whether or not this CPU has it: the scalar one first.
const std::vector<AUDIO_MixerPath>& AUDIO_MixerKnownPaths();

// The best path this CPU can run.
AUDIO_MixerPath AUDIO_MixerBestPath();
// The path the mixer uses now: chosen on first use from the CPU and TARVELON_MIXER.
AUDIO_MixerPath AUDIO_MixerActivePath();
// Switches the path (for comparisons); false, changing nothing, when the CPU lacks it.
// Not while a mix runs.
bool AUDIO_MixerUsePath(AUDIO_MixerPath path);
// "scalar", "sse2", "avx2" or "avx512".
const char* AUDIO_MixerPathName(AUDIO_MixerPath path);
