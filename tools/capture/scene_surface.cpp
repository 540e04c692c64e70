#include "scene_surface.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>

#include "platform/platform.h"
#include "shell/scene_frame.h"
#include "shell/window.h"

bool OpenScene() {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (!platform::OpenWindow(kWindowTitle, kFrameWidth, kFrameHeight)) return false;
  PrepareScene(kFrameWidth, kFrameHeight, 16);
  return true;
}

void DrawAt(float milliseconds) {
  QueueFrame(milliseconds);
  glFinish();
}

void QueueFrame(float milliseconds) { DrawSceneAt(milliseconds); }

std::vector<unsigned char> ReadFrame() {
  constexpr int kRowBytes = kFrameWidth * 3;
  std::vector<unsigned char> bottomUp(std::size_t(kRowBytes) * kFrameHeight);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kFrameWidth, kFrameHeight, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  // GL hands the bottom row first; pictures and video want the top row first.
  std::vector<unsigned char> topDown(bottomUp.size());
  for (int y = 0; y < kFrameHeight; ++y) {
    std::copy_n(bottomUp.begin() + std::ptrdiff_t(kFrameHeight - 1 - y) * kRowBytes, kRowBytes,
                topDown.begin() + std::ptrdiff_t(y) * kRowBytes);
  }
  return topDown;
}
