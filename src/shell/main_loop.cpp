#include "shell/main_loop.h"

#include <GL/gl.h>

#include "platform/platform.h"
#include "scene/timeline.h"
#include "shell/shell.h"
#include "shell/messages.h"

bool MessageLoopTurn(int* exit_code) {
  MSG msg;
  if (PeekMessage(&msg)) {
    if (msg.message == WM_QUIT) {
      if (exit_code) *exit_code = int(msg.wParam);
      return false;
    }
    DispatchMessage(msg);
    return true;
  }
  DrawFrame();
  return true;
}

int RunMessageLoop() {
  int exit_code = 0;
  while (MessageLoopTurn(&exit_code)) {
  }
  return exit_code;
}

void DrawFrame() {
  glViewport(0, 0, 800, 600);
  // Red, not the black of the initial state: whatever the scene leaves uncovered shows red.
  glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();

  Sahne(mod, 0);

  // The scene's inset panels leave a smaller viewport behind.
  glViewport(0, 0, 800, 600);
  glFlush();
  platform::SwapGLBuffers();
}
