#include "scene_surface.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>

#include "platform/platform.h"
#include "scene/scene.h"
#include "scene/timeline.h"
#include "shell/gl_state.h"
#include "shell/window.h"

bool OpenScene() {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (!platform::OpenWindow(kWindowTitle, kFrameWidth, kFrameHeight)) return false;
  EnableOpenGL(kFrameWidth, kFrameHeight, 16);
  SetLight();
  SetMaterial();
  Sahneinit();
  return true;
}

void DrawAt(float milliseconds) {
  QueueFrame(milliseconds);
  glFinish();
}

void QueueFrame(float milliseconds) {
  glViewport(0, 0, kFrameWidth, kFrameHeight);
  glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  mytime = milliseconds;
  Sahne_Kare(0);
  glViewport(0, 0, kFrameWidth, kFrameHeight);
}

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
