// capture: the demo's picture at chosen music times, without sound and without waiting.
//
//   capture frames OUTDIR SECONDS...   one PNG per time (OUTDIR/frame_<ms>.png)
//   capture bench [STEP_MS]            every STEP_MS of music (default 20) from 0 to 70 s:
//                                      frame rate overall and per second, and the slowest frames
//   capture video OUT.mp4 [--fps N] [--from S] [--to S]
//                                      the demo as a video with its sound (video.cpp)
//   capture sheet OUT.png              the timeline's key moments on one picture (sheet.cpp)
//
// Each frame is drawn as the demo's loop draws it, with the clock set to the chosen time
// instead of read from the song, so the same time always gives the same picture.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "png_writer.h"
#include "scene_surface.h"
#include "sheet.h"
#include "video.h"

namespace {

int Frames(const std::string& directory, int count, char** seconds) {
  for (int i = 0; i < count; ++i) {
    const double value = std::atof(seconds[i]);
    const int ms = static_cast<int>(value * 1000.0 + 0.5);
    DrawAt(static_cast<float>(ms));
    char name[64];
    std::snprintf(name, sizeof name, "/frame_%06d.png", ms);
    const std::string path = directory + name;
    if (!sheet::WritePng(path, kFrameWidth, kFrameHeight, ReadFrame())) {
      std::fprintf(stderr, "capture: cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s\n", path.c_str());
  }
  return 0;
}

int Bench(int stepMs) {
  using Clock = std::chrono::steady_clock;
  std::vector<std::pair<double, int>> costs;  // milliseconds of rendering, music time
  double perSecond[71] = {};
  int framesPerSecond[71] = {};
  const auto start = Clock::now();
  for (int t = 0; t <= 70000; t += stepMs) {
    const auto before = Clock::now();
    DrawAt(static_cast<float>(t));
    platform::SwapGLBuffers();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - before).count();
    costs.emplace_back(ms, t);
    perSecond[t / 1000] += ms;
    ++framesPerSecond[t / 1000];
  }
  const double total = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("%zu frames in %.2f s: %.1f frames per second (mean %.1f ms per frame)\n", costs.size(), total,
              costs.size() / total, 1000.0 * total / costs.size());
  std::printf("by second of music (frames per second of rendering):\n");
  for (int s = 0; s <= 70; ++s) {
    if (framesPerSecond[s]) std::printf("  %2d s: %6.1f fps\n", s, 1000.0 * framesPerSecond[s] / perSecond[s]);
  }
  std::sort(costs.rbegin(), costs.rend());
  std::printf("slowest frames:\n");
  for (size_t i = 0; i < std::min<size_t>(10, costs.size()); ++i) {
    std::printf("  t = %6d ms: %.1f ms\n", costs[i].second, costs[i].first);
  }
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: capture frames OUTDIR SECONDS...\n"
               "       capture bench [STEP_MS]\n"
               "       capture video OUT.mp4 [--fps N] [--from S] [--to S]\n"
               "       capture sheet OUT.png\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "video") return CaptureVideo(argc - 2, argv + 2);
  if (command == "sheet") return CaptureSheet(argc - 2, argv + 2);
  if (command != "frames" && command != "bench") return Usage();
  if (command == "frames" && argc < 4) return Usage();
  if (!OpenScene()) {
    std::fprintf(stderr, "capture: no GL window\n");
    return 1;
  }
  if (command == "frames") return Frames(argv[2], argc - 3, argv + 3);
  const int step = argc > 2 ? std::atoi(argv[2]) : 20;
  return Bench(step > 0 ? step : 20);
}
