// The demo as a video with its sound. Video frame k stands at audio time k / fps: its picture
// is drawn with the clock the demo reads while the device plays that moment's block, and the
// sound is the blocks the device plays, mixed offline. Both go to ffmpeg (frames through a
// pipe, the sound as a raw file) to become H.264 and AAC in an MP4 written under a temporary
// name and renamed only once ffmpeg has succeeded.
//
// The capture is planned (video_plan), encoded (video_encoder) and reported here.
#include "video.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "arguments.h"
#include "command_line.h"
#include "video_encoder.h"
#include "video_plan.h"

namespace {

constexpr int kMaxFps = 240;

struct Options {
  std::string output;
  int fps = 60;
  double from = 0.0;
  double to = -1.0;  // negative: to the end of the demo
};

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) { g_interrupted = 1; }

int Fail(const std::string& message) { return tool::InputError(kProgram, message); }

// 0 when the options are good, otherwise the exit code after a message.
int ParseOptions(int count, char** arguments, Options* options) {
  std::vector<std::string> positional;
  for (int i = 0; i < count; ++i) {
    const std::string argument = arguments[i];
    const bool has_value = i + 1 < count;
    double value = 0.0;
    if (argument == "--fps" && has_value) {
      if (!tool::ParseNumber(arguments[++i], &value) || value < 1 || value > kMaxFps || value != std::floor(value))
        return tool::UsageError(kProgram, "--fps needs a whole number from 1 to " + std::to_string(kMaxFps));
      options->fps = int(value);
    } else if ((argument == "--from" || argument == "--to") && has_value) {
      if (!ParseSeconds(arguments[++i], &value))
        return tool::UsageError(kProgram, argument + " needs seconds (a number, 0 or more)");
      (argument == "--from" ? options->from : options->to) = value;
    } else if (argument.size() > 1 && argument[0] == '-') {
      return tool::UsageError(kProgram, "video: unknown option " + argument);
    } else {
      positional.push_back(argument);
    }
  }
  if (positional.size() != 1) return tool::UsageError(kProgram, "video needs one OUT.mp4");
  options->output = positional[0];
  return 0;
}

// The working files of one capture, in a directory beside the output so that the finished
// video is moved into place by a rename; all of it goes when the capture ends.
class Scratch {
 public:
  explicit Scratch(const std::string& output) {
    const std::string::size_type slash = output.rfind('/');
    std::string pattern = (slash == std::string::npos ? std::string(".") : output.substr(0, slash)) + "/.capture-XXXXXX";
    if (mkdtemp(pattern.data())) directory_ = pattern;
  }
  ~Scratch() {
    for (const char* name : {kSound, kLog, kVideo}) std::remove(Path(name).c_str());
    if (!directory_.empty()) rmdir(directory_.c_str());
  }
  bool made() const { return !directory_.empty(); }
  std::string Path(const char* name) const { return directory_ + "/" + name; }

  static constexpr const char* kSound = "sound.s16le";
  static constexpr const char* kLog = "ffmpeg.log";
  static constexpr const char* kVideo = "video.mp4";

 private:
  std::string directory_;
};

bool WriteFile(const std::string& path, const std::int16_t* samples, std::size_t count) {
  std::ofstream out(path, std::ios::binary);
  // The device's format is little-endian, as this machine is.
  out.write(reinterpret_cast<const char*>(samples), std::streamsize(count * sizeof(std::int16_t)));
  return bool(out.flush());
}

std::string Megabytes(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return "?";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", double(info.st_size) / 1e6);
  return text;
}

double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void Report(const std::string& output, const VideoPlan& plan, const EncodingProfile& profile, double taken) {
  const long frames = long(plan.frames());
  const double duration = double(frames) / plan.fps;
  std::printf("%s: %ld frames at %d fps, %.2f s of video from %.2f s, %s, made in %.1f s (%.1f frames per second, %.2fx real time)\n",
              output.c_str(), frames, plan.fps, duration, double(plan.first) / plan.fps, Megabytes(output).c_str(), taken,
              frames / taken, duration / taken);
  // The set-up is this thread handing a frame to GL; the rasteriser finishing it is waited for
  // in the read-back.
  std::printf("time spent: drawing and read-back %.1f s (%ld frames drawn, %ld repeated; set-up %.1f s, rasterising "
              "and read-back %s %.1f s), waiting for ffmpeg %.1f s + %.1f s to finish\n",
              profile.setting_up + profile.collecting, profile.drawn, frames - profile.drawn, profile.setting_up,
              profile.buffered ? "through pixel buffers" : "on the spot", profile.collecting, profile.handing,
              profile.finishing);
  std::printf("processor time: capture %.1f s, ffmpeg %.1f s\n", CpuSeconds(RUSAGE_SELF), CpuSeconds(RUSAGE_CHILDREN));
}

}  // namespace

int CaptureVideo(int count, char** arguments) {
  Options options;
  if (int code = ParseOptions(count, arguments, &options)) return code;
  const auto started = std::chrono::steady_clock::now();
  // An interruption from here on ends the capture with its message and clears the working
  // files away.
  struct sigaction on_interrupt {};
  on_interrupt.sa_handler = OnInterrupt;
  sigaction(SIGINT, &on_interrupt, nullptr);
  sigaction(SIGTERM, &on_interrupt, nullptr);

  VideoPlan plan;
  std::string why;
  if (!PlanVideo(options.fps, options.from, options.to, &plan, &why)) return Fail(why);
  if (g_interrupted) return Fail(kInterrupted);

  Scratch scratch(options.output);
  if (!scratch.made()) return Fail("cannot make a working directory beside " + options.output + ": " + std::strerror(errno));
  const std::int64_t sound_begin = plan.SampleOf(plan.first), sound_end = plan.SampleOf(plan.stop);
  if (!WriteFile(scratch.Path(Scratch::kSound), plan.sound.samples.data() + sound_begin * 2,
                 std::size_t(sound_end - sound_begin) * 2))
    return Fail("cannot write the sound beside " + options.output);

  EncodingProfile profile;
  if (!EncodeVideo(plan, scratch.Path(Scratch::kSound), scratch.Path(Scratch::kVideo), scratch.Path(Scratch::kLog),
                   g_interrupted, &profile, &why))
    return Fail(why);
  // An interruption while ffmpeg finished still means no video.
  if (g_interrupted) return Fail(kInterrupted);
  if (std::rename(scratch.Path(Scratch::kVideo).c_str(), options.output.c_str()) != 0)
    return Fail("cannot move the video to " + options.output + ": " + std::strerror(errno));
  Report(options.output, plan, profile, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
  return 0;
}
