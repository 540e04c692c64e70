#include "shell/window.h"

#include "platform/platform.h"
#include "scene/setup.h"
#include "shell/gl_state.h"
#include "shell/messages.h"
#include "shell/window_proc.h"

bool Olustur(int width, int height, int bits) {
  // The window is borderless, so its outer size is the client size.
  platform::OpenWindow(kWindowTitle, width, height);
  WndProc(WM_CREATE, 0, 0);

  // A failed change still lets the set-up finish; the quit request ends the loop at its
  // first turn, before any frame.
  if (!Tamekran(width, height, bits)) PostQuitMessage(1);

  EnableOpenGL(width, height, bits);
  SetLight();
  SetMaterial();

  Sahneinit();

  // The music hook-up comes here.

  platform::ShowCursor(false);
  platform::FocusWindow();
  return true;
}

bool Tamekran(int width, int height, int bits) {
  if (platform::ChangeDisplayMode(width, height, bits)) return true;
  platform::ShowErrorBox(kErrorCaption, kErrorText);
  return false;
}

void DestroyWindow() {
  WndProc(WM_DESTROY, 0, 0);
  platform::CloseWindow();
}
