#include "video_encoder.h"

#include <chrono>
#include <cstdint>
#include <vector>

#include "ffmpeg_pipe.h"
#include "frame_readback.h"
#include "frame_writer.h"
#include "progress.h"
#include "scene_surface.h"
#include "shell/window.h"

namespace {

using Clock = std::chrono::steady_clock;

// ffmpeg gets this long after the last frame to finish the file.
constexpr std::chrono::seconds kFinishDeadline{120};

// Frames queued for the encoder, 1.4 MB each: the encoder runs at a lower priority than the
// drawing and catches up in the time it leaves, half a second of video behind at most.
constexpr std::size_t kQueuedFrames = 32;

std::vector<std::string> EncoderArguments(int fps, const std::string& sound, const std::string& video) {
  const std::string size = std::to_string(kFrameWidth) + "x" + std::to_string(kFrameHeight);
  const std::string rate = std::to_string(kDeviceRate);
  return {"-hide_banner", "-nostdin", "-loglevel", "error",
          // the frames, top row first, as they come through the pipe
          "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", size, "-framerate", std::to_string(fps), "-i", "pipe:0",
          // the sound: the device's own format
          "-f", "s16le", "-ar", rate, "-ac", "2", "-i", sound,
          "-map", "0:v:0", "-map", "1:a:0",
          // what every player opens: H.264 in 4:2:0, AAC, the index at the front. The quality is
          // set by the CRF; the preset and one encoder thread only trade file size for processor
          // time, which the drawing beside it needs: ultrafast takes about 30 % less than
          // superfast for a file about 1.8 times as large (147 MB for the whole demo).
          "-c:v", "libx264", "-preset", "ultrafast", "-threads:v", "1", "-crf", "18", "-pix_fmt", "yuv420p",
          "-c:a", "aac", "-b:a", "192k", "-ar", rate, "-ac", "2",
          "-movflags", "+faststart", "-f", "mp4", video};
}

// The frames of the plan as pictures: a run of frames within one block sees one clock, so one
// picture, drawn once and handed over as often as it repeats.
struct Picture {
  std::uint32_t clock;
  long repeats;
};

std::vector<Picture> Pictures(const VideoPlan& plan) {
  std::vector<Picture> pictures;
  for (std::int64_t frame = plan.first; frame < plan.stop; ++frame) {
    const std::uint32_t clock = plan.ClockOf(frame);
    if (pictures.empty() || pictures.back().clock != clock) {
      pictures.push_back({clock, 1});
    } else {
      ++pictures.back().repeats;
    }
  }
  return pictures;
}

double SecondsSince(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

}  // namespace

bool EncodeVideo(const VideoPlan& plan, const std::string& sound, const std::string& video, const std::string& log,
                 const volatile std::sig_atomic_t& interrupted, EncodingProfile* profile, std::string* why) {
  FfmpegPipe encoder;
  if (!encoder.Start(EncoderArguments(plan.fps, sound, video), log, why)) return false;
  if (!OpenScene()) {
    *why = "no GL window";
    return false;
  }
  FrameReadback readback;
  profile->buffered = readback.buffered();
  FrameWriter writer(&encoder, FrameReadback::kRowBytes, kFrameHeight, kQueuedFrames);
  const std::vector<Picture> pictures = Pictures(plan);
  Progress progress(long(plan.frames()));
  long handed = 0;
  // Picture i is drawn and its read-back started before picture i - 1 is collected and handed
  // over, so a read-back that runs on its own overlaps the next picture's set-up.
  for (std::size_t i = 0; i <= pictures.size(); ++i) {
    if (interrupted) {
      progress.Finish();
      writer.Close(true);
      *why = kInterrupted;
      return false;
    }
    auto at = Clock::now();
    if (i < pictures.size()) {
      QueueFrame(float(std::int64_t(pictures[i].clock)));
      profile->setting_up += SecondsSince(at);
      at = Clock::now();
      readback.Start();
      profile->collecting += SecondsSince(at);
      ++profile->drawn;
    }
    if (i == 0) continue;
    at = Clock::now();
    const unsigned char* frame = readback.Collect();
    profile->collecting += SecondsSince(at);
    if (!frame) {
      progress.Finish();
      writer.Close(true);
      *why = "cannot read the frame back from GL";
      return false;
    }
    at = Clock::now();
    const bool queued = writer.Hand(frame, pictures[i - 1].repeats);
    readback.Release();
    profile->handing += SecondsSince(at);
    if (!queued) {
      progress.Finish();
      writer.Close(true);
      encoder.Finish(std::chrono::seconds(5), why);
      // Ctrl+C reaches ffmpeg too, which then stops reading.
      if (interrupted) *why = kInterrupted;
      return false;
    }
    handed += pictures[i - 1].repeats;
    progress.Update(handed);
  }
  progress.Finish();
  const auto finishing_from = Clock::now();
  if (!writer.Close()) {
    encoder.Finish(std::chrono::seconds(5), why);
    return false;
  }
  if (!encoder.Finish(kFinishDeadline, why)) return false;
  profile->finishing = SecondsSince(finishing_from);
  return true;
}
