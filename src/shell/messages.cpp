#include "shell/messages.h"

#include "platform/platform.h"
#include "shell/window_proc.h"

namespace {

MSG ToMessage(const platform::Event& event) {
  MSG msg;
  switch (event.kind) {
    case platform::EventKind::KeyDown:
      msg.message = WM_KEYDOWN;
      msg.wParam = WPARAM(event.key);
      break;
    case platform::EventKind::Close:
      msg.message = WM_CLOSE;
      break;
    case platform::EventKind::Size:
      msg.message = WM_SIZE;
      msg.lParam = MakeSizeParam(event.width, event.height);
      break;
    case platform::EventKind::Quit:
      msg.message = WM_QUIT;
      msg.wParam = WPARAM(event.exit_code);
      break;
    case platform::EventKind::Other:
      msg.message = WM_NULL;
      break;
  }
  return msg;
}

}  // namespace

bool PeekMessage(MSG* msg) {
  if (!msg) return false;
  platform::Event event;
  if (!platform::PollEvent(&event)) return false;
  *msg = ToMessage(event);
  return true;
}

LRESULT DispatchMessage(const MSG& msg) { return WndProc(msg.message, msg.wParam, msg.lParam); }

void PostQuitMessage(int exit_code) { platform::PostQuit(exit_code); }
