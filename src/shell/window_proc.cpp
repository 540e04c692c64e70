#include "shell/window_proc.h"

#include "shell/gl_state.h"

namespace {

LRESULT IgnoreMessage(UINT, WPARAM, LPARAM) { return 0; }

WindowProcedure g_default_procedure = IgnoreMessage;

}  // namespace

LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // The last client size as it came, a height of 0 included.
  static int pxx = 0;
  static int pyy = 0;
  switch (message) {
    case WM_CREATE:
      return 0;
    case WM_DESTROY:
      // Destroying the window is part of the shutdown, never a reason for one.
      return 0;
    case WM_SIZE:
      pxx = LowWord(lParam);
      pyy = HighWord(lParam);
      Sahne_tekrarciz(pxx, pyy);
      return 0;
    case WM_CLOSE:
      // The window stays until the loop has ended; the shutdown destroys it.
      PostQuitMessage(0);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProc(message, wParam, lParam);
  }
}

LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return g_default_procedure(message, wParam, lParam);
}

WindowProcedure SetDefaultWindowProc(WindowProcedure procedure) {
  const WindowProcedure previous = g_default_procedure;
  g_default_procedure = procedure ? procedure : IgnoreMessage;
  return previous;
}
