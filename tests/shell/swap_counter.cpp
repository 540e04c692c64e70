// Preloaded into the demo by the end-to-end tests: counts the frames it presents and, when
// the process ends normally, writes "swaps N" to the file named by TARVELON_SWAP_COUNT_FILE.
#include <SDL.h>
#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<long> g_swaps{0};

__attribute__((destructor)) void WriteCount() {
  const char* path = std::getenv("TARVELON_SWAP_COUNT_FILE");
  if (!path) return;
  if (FILE* file = std::fopen(path, "w")) {
    std::fprintf(file, "swaps %ld\n", g_swaps.load());
    std::fclose(file);
  }
}

}  // namespace

extern "C" void SDL_GL_SwapWindow(SDL_Window* window) {
  using Swap = void (*)(SDL_Window*);
  static const Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
  ++g_swaps;
  if (real) real(window);
}
