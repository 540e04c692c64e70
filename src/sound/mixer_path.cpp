#include "sound/mixer_path.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "sound/mixer_kernels.h"

namespace {

bool CpuHas(AUDIO_MixerPath path) {
  switch (path) {
    case AUDIO_MixerPath::Scalar:
      return true;
#if defined(__x86_64__)
    case AUDIO_MixerPath::Sse2:
      return __builtin_cpu_supports("sse2");
    case AUDIO_MixerPath::Avx2:
      return __builtin_cpu_supports("avx2");
    case AUDIO_MixerPath::Avx512:
      // The kernels use all four: 512-bit lanes, their 256-bit forms, 64-bit integer
      // conversions and multiplies, and 16-bit pairs.
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
             __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
#else
    default:
      return false;
#endif
  }
  return false;
}

const MixKernels& KernelsOf(AUDIO_MixerPath path) {
#if defined(__x86_64__)
  if (path == AUDIO_MixerPath::Avx512) return Avx512Kernels();
  if (path == AUDIO_MixerPath::Avx2) return Avx2Kernels();
  if (path == AUDIO_MixerPath::Sse2) return Sse2Kernels();
#endif
  (void)path;
  return ScalarKernels();
}

AUDIO_MixerPath RequestedPath() {
  const AUDIO_MixerPath best = AUDIO_MixerBestPath();
  const char* wanted = std::getenv("TARVELON_MIXER");
  if (!wanted) return best;
  for (AUDIO_MixerPath path : AUDIO_MixerKnownPaths()) {
    if (std::strcmp(wanted, AUDIO_MixerPathName(path)) == 0 && CpuHas(path)) return path;
  }
  return best;
}

// Both are written together by whichever thread first mixes, or by AUDIO_MixerUsePath;
// every writer stores the same pair for the same request.
std::atomic<const MixKernels*> g_kernels{nullptr};
std::atomic<AUDIO_MixerPath> g_path{AUDIO_MixerPath::Scalar};

void Use(AUDIO_MixerPath path) {
  g_path.store(path, std::memory_order_relaxed);
  g_kernels.store(&KernelsOf(path), std::memory_order_release);
}

}  // namespace

const std::vector<AUDIO_MixerPath>& AUDIO_MixerKnownPaths() {
  static const std::vector<AUDIO_MixerPath> paths = {AUDIO_MixerPath::Scalar, AUDIO_MixerPath::Sse2,
                                                      AUDIO_MixerPath::Avx2, AUDIO_MixerPath::Avx512};
  return paths;
}

const MixKernels& ActiveKernels() {
  const MixKernels* kernels = g_kernels.load(std::memory_order_acquire);
  if (kernels) return *kernels;
  Use(RequestedPath());
  return *g_kernels.load(std::memory_order_acquire);
}

AUDIO_MixerPath AUDIO_MixerBestPath() {
  if (CpuHas(AUDIO_MixerPath::Avx512)) return AUDIO_MixerPath::Avx512;
  if (CpuHas(AUDIO_MixerPath::Avx2)) return AUDIO_MixerPath::Avx2;
  if (CpuHas(AUDIO_MixerPath::Sse2)) return AUDIO_MixerPath::Sse2;
  return AUDIO_MixerPath::Scalar;
}

AUDIO_MixerPath AUDIO_MixerActivePath() {
  ActiveKernels();
  return g_path.load(std::memory_order_relaxed);
}

bool AUDIO_MixerUsePath(AUDIO_MixerPath path) {
  if (!CpuHas(path)) return false;
  Use(path);
  return true;
}

const char* AUDIO_MixerPathName(AUDIO_MixerPath path) {
  switch (path) {
    case AUDIO_MixerPath::Sse2:
      return "sse2";
    case AUDIO_MixerPath::Avx2:
      return "avx2";
    case AUDIO_MixerPath::Avx512:
      return "avx512";
    case AUDIO_MixerPath::Scalar:
      break;
  }
  return "scalar";
}
