// What a capture will make, worked out before anything is drawn: the demo's sound and clock,
// the frames of the whole demo, and the span of them asked for.
#pragma once

#include <cstdint>
#include <string>

#include "demo_sound.h"

struct VideoPlan {
  int fps = 0;
  DemoSound sound;
  std::int64_t demo_frames = 0;  // the demo's video: up to the first frame past the end
  std::int64_t first = 0, stop = 0;  // the frames captured: first <= frame < stop

  // Video frame k stands at audio time k / fps.
  std::int64_t SampleOf(std::int64_t frame) const { return frame * sound.rate / fps; }
  // The clock the demo reads while frame `frame` is heard.
  std::uint32_t ClockOf(std::int64_t frame) const { return sound.ClockAt(SampleOf(frame)); }
  std::int64_t frames() const { return stop - first; }
};

// Plans the capture of the span from `from` seconds to `to` (negative: the end) at `fps`.
// False with a one-line reason when the song cannot be played or the span holds no frame.
bool PlanVideo(int fps, double from, double to, VideoPlan* plan, std::string* why);
