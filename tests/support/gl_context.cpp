#include "support/gl_context.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdlib>

#include "platform/platform.h"

namespace testsupport {

bool EnsureGLContext(std::string* why) {
  static int state = 0;  // 0 not tried, 1 ready, -1 failed
  static std::string reason;
  if (state == 0) {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("SDL_VIDEODRIVER")) {
      setenv("SDL_VIDEODRIVER", "offscreen", 0);
    }
    if (!platform::OpenWindow("OpenGL Deneme", 800, 600)) {
      reason = std::string("no window: ") + SDL_GetError();
      state = -1;
    } else if (!platform::CreateGLContext(16, 16, 8)) {
      reason = std::string("no GL context: ") + SDL_GetError();
      state = -1;
    } else {
      state = 1;
    }
  }
  if (why) *why = reason;
  return state == 1;
}

std::array<int, 4> ReadPixel(int x, int y) {
  unsigned char rgba[4] = {0, 0, 0, 0};
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  return {rgba[0], rgba[1], rgba[2], rgba[3]};
}

}  // namespace testsupport
