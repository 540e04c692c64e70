// The encoding of a planned capture: each frame drawn with its clock, read back and handed to
// ffmpeg with the sound, and where the time went.
#pragma once

#include <csignal>
#include <string>

#include "video_plan.h"

// Where the time of an encoding went, in seconds of wall time.
struct EncodingProfile {
  double setting_up = 0;  // handing frames to GL
  double collecting = 0;  // the rasteriser finishing frames and their read-back
  double handing = 0;     // waiting for room among the frames queued for ffmpeg
  double finishing = 0;   // ffmpeg taking the queued frames and finishing the file
  long drawn = 0;         // frames drawn; the others repeat the one before
  bool buffered = false;  // read back through pixel buffers
};

// Draws the plan's frames and has ffmpeg encode them with the raw sound in `sound` (the
// device's format) into `video`, its messages in `log`. False with a one-line reason when
// ffmpeg or GL fail, or once `interrupted` is raised.
bool EncodeVideo(const VideoPlan& plan, const std::string& sound, const std::string& video, const std::string& log,
                 const volatile std::sig_atomic_t& interrupted, EncodingProfile* profile, std::string* why);

// The reason EncodeVideo gives when it was interrupted.
inline constexpr char kInterrupted[] = "interrupted; no video written";
