#include "shell/gl_state.h"
#include "shell/main_loop.h"
#include "shell/shell.h"
#include "shell/window.h"
#include "platform/platform.h"
#include "sound/output.h"

MUSIC_MODULE* mod = nullptr;

int WinMainCRTStartup() {
  platform::RegisterWindowClass(kWindowClassName);
  Olustur(800, 600, 16);

  const int exit_code = RunMessageLoop();

  // Here the process end does not stop the feeder thread for us: stop it while everything it
  // reads still exists, and let the device go.
  MUSIC_StopSong(mod);
  AUDIO_Close();
  DisableOpenGL();
  DestroyWindow();
  return exit_code;
}
