// The allocations of the player and the sound output, zero-filled as everything here is made,
// and counted, so that tests can make any one of them fail and see that each failure is
// answered with a clean refusal, nothing leaked and no thread left behind.
//
// Counted:
//   loading   the file-access handle and, for the embedded song, the memory source's handle
//             and its copy of the song; the module; its pattern table, each pattern's cells
//             and, while the pattern is unpacked, its packed bytes; the instrument table; each
//             sample's header and its data (8-bit data is read into one buffer and widened
//             into a second)
//   starting  the time-info entries, the ring, the float mix area and the feeder thread (the
//             first and the last through AUDIO_AllocationGranted: neither is made by
//             AUDIO_Calloc)
// Not counted: what the platform layer and its libraries allocate (the device's own buffers,
// the window, the GL context), the mixer's list of its paths, and whatever the standard
// library allocates inside std::thread beyond the grant asked for it.
#pragma once

#include <cstddef>
#include <cstdint>

// calloc's contract, including null for a refused request. Released with std::free.
void* AUDIO_Calloc(std::size_t count, std::size_t size);

// Asks whether one more resource may be had; resources not made by AUDIO_Calloc (the array of
// atomic time-info entries, the feeder thread) ask here first, so they fail in turn like
// allocations.
bool AUDIO_AllocationGranted();

// Test hook: the n-th allocation from now fails (1 = the next one), once; 0 disarms.
void AUDIO_FailNthAllocation(std::int64_t n);
// True when the allocation armed by AUDIO_FailNthAllocation has been refused.
bool AUDIO_InjectedFailureHappened();
