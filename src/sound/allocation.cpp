#include "sound/allocation.h"

#include <atomic>
#include <cstdlib>

namespace {

// Allocations left before the one that fails; 0 while no failure is armed.
std::atomic<std::int64_t> g_countdown{0};
std::atomic<bool> g_failed{false};

}  // namespace

bool AUDIO_AllocationGranted() {
  std::int64_t left = g_countdown.load();
  while (left > 0) {
    if (g_countdown.compare_exchange_weak(left, left - 1)) {
      if (left != 1) return true;
      g_failed.store(true);
      return false;
    }
  }
  return true;
}

void* AUDIO_Calloc(std::size_t count, std::size_t size) {
  if (!AUDIO_AllocationGranted()) return nullptr;
  return std::calloc(count, size);
}

void AUDIO_FailNthAllocation(std::int64_t n) {
  g_failed.store(false);
  g_countdown.store(n > 0 ? n : 0);
}

bool AUDIO_InjectedFailureHappened() { return g_failed.load(); }
