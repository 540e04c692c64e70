// capture: the demo's picture at chosen music times, without sound and without waiting, and
// the whole demo as a video with its sound.
//
//   capture [--quiet] frames OUTDIR SECONDS...   one PNG per time (OUTDIR/frame_<ms>.png)
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
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "arguments.h"
#include "command_line.h"
#include "platform/platform.h"
#include "png_writer.h"
#include "scene/clock.h"
#include "scene_surface.h"
#include "sheet.h"
#include "video.h"

namespace {

constexpr int kRunMs = int(kRunSeconds * 1000.0f);
constexpr int kRunWholeSeconds = int(kRunSeconds);

int Frames(const std::string& directory, const std::vector<double>& seconds, bool list_files) {
  for (const double value : seconds) {
    const int ms = static_cast<int>(value * 1000.0 + 0.5);
    DrawAt(static_cast<float>(ms));
    char name[64];
    std::snprintf(name, sizeof name, "/frame_%06d.png", ms);
    const std::string path = directory + name;
    if (!tool::WritePng(path, kFrameWidth, kFrameHeight, ReadFrame()))
      return tool::InputError(kProgram, "cannot write " + path);
    if (list_files) std::printf("%s\n", path.c_str());
  }
  return 0;
}

int Bench(int stepMs) {
  using Clock = std::chrono::steady_clock;
  std::vector<std::pair<double, int>> costs;  // milliseconds of rendering, music time
  double perSecond[kRunWholeSeconds + 1] = {};
  int framesPerSecond[kRunWholeSeconds + 1] = {};
  const auto start = Clock::now();
  for (int t = 0; t <= kRunMs; t += stepMs) {
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
  for (int s = 0; s <= kRunWholeSeconds; ++s) {
    if (framesPerSecond[s]) std::printf("  %2d s: %6.1f fps\n", s, 1000.0 * framesPerSecond[s] / perSecond[s]);
  }
  std::sort(costs.rbegin(), costs.rend());
  std::printf("slowest frames:\n");
  for (size_t i = 0; i < std::min<size_t>(10, costs.size()); ++i) {
    std::printf("  t = %6d ms: %.1f ms\n", costs[i].second, costs[i].first);
  }
  return 0;
}

constexpr const char* kHelp =
    "usage: capture [--quiet] frames OUTDIR SECONDS...\n"
    "       capture bench [STEP_MS]\n"
    "       capture video OUT.mp4 [--fps N] [--from S] [--to S]\n"
    "       capture sheet OUT.png\n"
    "\n"
    "Draws Tarvelon's picture at chosen music times, or the whole demo as a video with its sound.\n"
    "\n"
    "  frames OUTDIR SECONDS...  one PNG per music time in seconds (OUTDIR/frame_<ms>.png);\n"
    "                            prints the name of each file written\n"
    "  bench [STEP_MS]           every STEP_MS of music (default 20) from 0 to 70 s: the frame\n"
    "                            rate overall and per second, and the slowest frames\n"
    "  video OUT.mp4             the demo as an MP4 (H.264 and AAC, through the ffmpeg program):\n"
    "                            frame k at k/N seconds of sound (--fps N, default 60), drawn\n"
    "                            with the clock the demo reads then; --from/--to in seconds\n"
    "                            (CAPTURE_READBACK=direct: no pixel buffers for the read-back)\n"
    "  sheet OUT.png             the timeline's twelve key moments on one 1630x996 picture, four\n"
    "                            to a row, each with its clock written under it\n"
    "  --quiet                   frames: no list of the files written\n"
    "  -h, --help                print this help and exit\n"
    "  --version                 print the version and exit\n"
    "\n"
    "Exit status: 0 on success; 1 when there is no GL window, ffmpeg fails or a file cannot be\n"
    "written; 2 when the command line is wrong.\n";

bool ParseStep(const char* text, int* step) {
  double value = 0;
  if (!tool::ParseNumber(text, &value) || value != std::floor(value) || value < 1 || value > kRunMs) return false;
  *step = int(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (std::optional<int> code = tool::AnswerHelpOrVersion(argc, argv, kProgram, kHelp)) return *code;
  std::vector<char*> args(argv + 1, argv + argc);
  const auto quiet = std::find_if(args.begin(), args.end(), [](const char* a) { return std::string(a) == "--quiet"; });
  const bool list_files = quiet == args.end();
  if (!list_files) args.erase(quiet);
  if (args.empty()) return tool::UsageError(kProgram, "needs a command: frames, bench, video or sheet");
  const std::string command = args[0];
  if (command == "video") return CaptureVideo(static_cast<int>(args.size()) - 1, args.data() + 1);
  if (command == "sheet") return CaptureSheet(static_cast<int>(args.size()) - 1, args.data() + 1);
  std::vector<double> seconds;
  int step = 20;
  if (command == "frames") {
    if (args.size() < 3) return tool::UsageError(kProgram, "frames needs OUTDIR and at least one time in seconds");
    for (std::size_t i = 2; i < args.size(); ++i) {
      if (!ParseSeconds(args[i], &seconds.emplace_back()))
        return tool::UsageError(kProgram, std::string("not a time in seconds: ") + args[i]);
    }
  } else if (command == "bench") {
    if (args.size() > 2) return tool::UsageError(kProgram, "bench takes at most STEP_MS");
    if (args.size() == 2 && !ParseStep(args[1], &step))
      return tool::UsageError(kProgram, "STEP_MS must be a whole number from 1 to " + std::to_string(kRunMs) + ": " + args[1]);
  } else {
    return tool::UsageError(kProgram, "unknown command " + command);
  }
  if (!OpenScene()) return tool::InputError(kProgram, "no GL window");
  if (command == "frames") return Frames(args[1], seconds, list_files);
  return Bench(step);
}
