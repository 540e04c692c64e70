// The demo as a video with its sound. Video frame k stands at audio time k / fps: its picture
// is drawn with the clock the demo reads while the device plays that moment's block, and the
// sound is the blocks the device plays, mixed offline. Both go to ffmpeg (frames through a
// pipe, the sound as a raw file) to become H.264 and AAC in an MP4 written under a temporary
// name and renamed only once ffmpeg has succeeded.
#include "video.h"

#include <signal.h>
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

#include "command_line.h"
#include "demo_sound.h"
#include "ffmpeg_pipe.h"
#include "progress.h"
#include "scene/clock.h"
#include "scene_surface.h"

namespace {

constexpr float kEndSeconds = 70.0f;  // the demo ends on the first frame whose clock is past this
constexpr std::uint32_t kEndMs = 70000;
constexpr int kMaxFps = 240;

struct Options {
  std::string output;
  int fps = 60;
  double from = 0.0;
  double to = -1.0;  // negative: to the end of the demo
};

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) { g_interrupted = 1; }
constexpr const char* kInterrupted = "interrupted; no video written";

constexpr const char* kProgram = "capture";

int Fail(const std::string& message) { return tool::InputError(kProgram, message); }

// Seconds of the video, or frames per second: 0 or more.
bool ParseAmount(const char* text, double* value) {
  return tool::ParseNumber(text, value) && *value >= 0.0 && *value <= 1e6;
}

// 0 when the options are good, otherwise the exit code after a message.
int ParseOptions(int count, char** arguments, Options* options) {
  std::vector<std::string> positional;
  for (int i = 0; i < count; ++i) {
    const std::string argument = arguments[i];
    const bool has_value = i + 1 < count;
    double value = 0.0;
    if (argument == "--fps" && has_value) {
      if (!ParseAmount(arguments[++i], &value) || value < 1 || value > kMaxFps || value != std::floor(value))
        return tool::UsageError(kProgram, "--fps needs a whole number from 1 to " + std::to_string(kMaxFps));
      options->fps = int(value);
    } else if ((argument == "--from" || argument == "--to") && has_value) {
      if (!ParseAmount(arguments[++i], &value))
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

std::vector<std::string> EncoderArguments(int fps, const std::string& sound, const std::string& video) {
  const std::string size = std::to_string(kFrameWidth) + "x" + std::to_string(kFrameHeight);
  return {"-hide_banner", "-nostdin", "-loglevel", "error",
          // the frames, top row first, as they come through the pipe
          "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", size, "-framerate", std::to_string(fps), "-i", "pipe:0",
          // the sound: the device's own format
          "-f", "s16le", "-ar", "44100", "-ac", "2", "-i", sound,
          "-map", "0:v:0", "-map", "1:a:0",
          // what every player opens: H.264 in 4:2:0, AAC, the index at the front
          "-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p",
          "-c:a", "aac", "-b:a", "192k", "-ar", "44100", "-ac", "2",
          "-movflags", "+faststart", "-f", "mp4", video};
}

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

}  // namespace

int CaptureVideo(int count, char** arguments) {
  using Clock = std::chrono::steady_clock;
  Options options;
  if (int code = ParseOptions(count, arguments, &options)) return code;
  const auto started = Clock::now();

  // Enough sound for the last frame, drawn once the clock is past the end, to play out.
  DemoSound sound;
  if (!RenderDemoSound(kEndMs, 44100 / options.fps + 44100, &sound)) return Fail("cannot play the embedded song");
  const auto sample_of = [&](std::int64_t frame) { return frame * sound.rate / options.fps; };
  const auto clock_of = [&](std::int64_t frame) { return sound.ClockAt(sample_of(frame)); };

  // The demo presents the frame on which the clock first passes the end, then stops.
  std::int64_t end_frame = 0;
  while (saniye(float(clock_of(end_frame))) <= kEndSeconds) ++end_frame;
  const std::int64_t demo_frames = end_frame + 1;
  const std::int64_t first = std::int64_t(std::ceil(options.from * options.fps - 1e-9));
  std::int64_t stop = demo_frames;
  if (options.to >= 0) stop = std::min(stop, std::int64_t(std::ceil(options.to * options.fps - 1e-9)));
  if (first >= stop) {
    char why[96];
    std::snprintf(why, sizeof why, "nothing to capture from %.3f s on: the demo's video ends at %.3f s",
                  double(first) / options.fps, double(demo_frames) / options.fps);
    return Fail(first < demo_frames ? "--to must come after --from" : why);
  }

  // From here on an interruption must still clear the working files away.
  struct sigaction on_interrupt {};
  on_interrupt.sa_handler = OnInterrupt;
  sigaction(SIGINT, &on_interrupt, nullptr);
  sigaction(SIGTERM, &on_interrupt, nullptr);
  Scratch scratch(options.output);
  if (!scratch.made()) return Fail("cannot make a working directory beside " + options.output + ": " + std::strerror(errno));
  const std::int64_t sound_begin = sample_of(first), sound_end = sample_of(stop);
  if (!WriteFile(scratch.Path(Scratch::kSound), sound.samples.data() + sound_begin * 2, std::size_t(sound_end - sound_begin) * 2))
    return Fail("cannot write the sound beside " + options.output);

  FfmpegPipe encoder;
  std::string why;
  if (!encoder.Start(EncoderArguments(options.fps, scratch.Path(Scratch::kSound), scratch.Path(Scratch::kVideo)),
                     scratch.Path(Scratch::kLog), &why))
    return Fail(why);
  if (!OpenScene()) return Fail("no GL window");

  // Where the time goes: the summary's profile of drawing, read-back and encoding.
  double drawing = 0, reading = 0, handing = 0;
  long drawn = 0;
  const auto seconds_since = [](Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); };
  Progress progress(long(stop - first));
  std::vector<unsigned char> picture;
  std::uint32_t picture_clock = 0;
  for (std::int64_t frame = first; frame < stop; ++frame) {
    if (g_interrupted) {
      progress.Finish();
      return Fail(kInterrupted);
    }
    const std::uint32_t clock = clock_of(frame);
    // Frames within one block see the same clock, so the same picture: drawn once.
    if (picture.empty() || clock != picture_clock) {
      auto at = Clock::now();
      DrawAt(float(std::int64_t(clock)));
      drawing += seconds_since(at);
      at = Clock::now();
      picture = ReadFrame();
      reading += seconds_since(at);
      picture_clock = clock;
      ++drawn;
    }
    const auto at = Clock::now();
    if (!encoder.Write(picture.data(), picture.size())) {
      progress.Finish();
      encoder.Finish(&why);
      // Ctrl+C reaches ffmpeg too, which then stops reading.
      return Fail(g_interrupted ? kInterrupted : why);
    }
    handing += seconds_since(at);
    progress.Update(long(frame - first + 1));
  }
  progress.Finish();
  const auto finishing_from = Clock::now();
  if (!encoder.Finish(&why)) return Fail(why);
  const double finishing = seconds_since(finishing_from);
  if (std::rename(scratch.Path(Scratch::kVideo).c_str(), options.output.c_str()) != 0)
    return Fail("cannot move the video to " + options.output + ": " + std::strerror(errno));

  const double taken = seconds_since(started);
  const long frames = long(stop - first);
  const double duration = double(frames) / options.fps;
  std::printf("%s: %ld frames at %d fps, %.2f s of video from %.2f s, %s, made in %.1f s (%.1f frames per second, %.2fx real time)\n",
              options.output.c_str(), frames, options.fps, duration, double(first) / options.fps,
              Megabytes(options.output).c_str(), taken, frames / taken, duration / taken);
  std::printf("time spent: drawing %.1f s (%ld frames drawn, %ld repeated), read-back %.1f s, waiting for ffmpeg %.1f s + %.1f s to finish\n",
              drawing, drawn, frames - drawn, reading, handing, finishing);
  return 0;
}
