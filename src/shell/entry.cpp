#include "shell/gl_state.h"
#include "shell/main_loop.h"
#include "shell/shell.h"
#include "shell/window.h"
#include "platform/platform.h"

MUSIC_MODULE* mod = nullptr;

int WinMainCRTStartup() {
  platform::RegisterWindowClass(kWindowClassName);
  Olustur(800, 600, 16);

  const int exit_code = RunMessageLoop();

  DisableOpenGL();
  DestroyWindow();
  return exit_code;
}
