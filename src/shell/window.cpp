#include "shell/window.h"

#include "content.h"
#include "platform/platform.h"
#include "player/music.h"
#include "scene/setup.h"
#include "shell/gl_state.h"
#include "shell/messages.h"
#include "shell/shell.h"
#include "shell/window_proc.h"
#include "sound/file_access.h"
#include "sound/memsource.h"
#include "sound/output.h"

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

  // The music: the embedded song through the in-memory source, on the default device.
  AUDIO_File_SetCallbacks(memopen, memclose, memread, memseek, memtell);
  if (AUDIO_Init(kDeviceRate)) {
    mod = MUSIC_LoadSong(muzik, nullptr);
    MUSIC_PlaySong(mod);
  } else {
    // Without an output there is nothing to stream into: the song is neither loaded nor
    // started, and the loop ends at its first turn.
    PostQuitMessage(1);
  }

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
