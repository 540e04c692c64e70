// Every allocation of the player and the sound output: zero-filled, as everything here is
// made, and counted, so that tests can make any one of them fail and see that each failure
// is answered with a clean refusal, nothing leaked and no thread left behind.
#pragma once

#include <cstddef>
#include <cstdint>

// calloc's contract, including null for a refused request. Released with std::free.
void* AUDIO_Calloc(std::size_t count, std::size_t size);

// Asks whether one more resource may be had; resources not made by AUDIO_Calloc (arrays of
// atomics, the feeder thread) ask here first, so they fail in turn like allocations.
bool AUDIO_AllocationGranted();

// Test hook: the n-th allocation from now fails (1 = the next one), once; 0 disarms.
void AUDIO_FailNthAllocation(std::int64_t n);
// True when the allocation armed by AUDIO_FailNthAllocation has been refused.
bool AUDIO_InjectedFailureHappened();
