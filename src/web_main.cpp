// The browser's entry points, called by the page (src/platform/web/index.html): the demo is the
// shell's own main routine; a still is the picture at one clock, drawn once after the set-up,
// with no sound and no loop.
#include <emscripten.h>

#include <GL/gl.h>

#include "platform/platform.h"
#include "shell/scene_frame.h"
#include "shell/shell.h"
#include "shell/window.h"

extern "C" {

EMSCRIPTEN_KEEPALIVE int tarvelon_run() { return WinMainCRTStartup(); }

// 1 once the picture at `milliseconds` is presented; 0 without a canvas.
EMSCRIPTEN_KEEPALIVE int tarvelon_still(float milliseconds) {
  if (!platform::OpenWindow(kWindowTitle, 800, 600)) return 0;
  PrepareScene(800, 600, 16);
  DrawSceneAt(milliseconds);
  glFlush();
  platform::SwapGLBuffers();
  return 1;
}

}  // extern "C"
