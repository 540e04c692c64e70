#include "video_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "scene/clock.h"
#include "shell/window.h"

bool PlanVideo(int fps, double from, double to, VideoPlan* plan, std::string* why) {
  plan->fps = fps;
  // Enough sound for the last frame, drawn once the clock is past the end, to play out.
  constexpr std::uint32_t kEndMs = std::uint32_t(kRunSeconds * 1000.0f);
  if (!RenderDemoSound(kEndMs, kDeviceRate / fps + kDeviceRate, &plan->sound)) {
    *why = "cannot play the embedded song";
    return false;
  }
  // The demo presents the frame on which the clock first passes the end, then stops.
  std::int64_t end_frame = 0;
  while (!PastTheEnd(float(plan->ClockOf(end_frame)))) ++end_frame;
  plan->demo_frames = end_frame + 1;
  plan->first = std::int64_t(std::ceil(from * fps - 1e-9));
  plan->stop = plan->demo_frames;
  if (to >= 0) plan->stop = std::min(plan->stop, std::int64_t(std::ceil(to * fps - 1e-9)));
  if (plan->first < plan->stop) return true;
  if (plan->first < plan->demo_frames) {
    *why = "--to must come after --from";
  } else {
    char text[96];
    std::snprintf(text, sizeof text, "nothing to capture from %.3f s on: the demo's video ends at %.3f s",
                  double(plan->first) / fps, double(plan->demo_frames) / fps);
    *why = text;
  }
  return false;
}
