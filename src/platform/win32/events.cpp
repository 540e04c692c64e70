// Win32 backend: the event queue. Polling runs the thread's real message loop (PeekMessage,
// TranslateMessage, DispatchMessage); the window procedure queues what it is told, and the
// quit request is Windows' own, so WM_QUIT comes out only once the thread's queue is empty.
#include <windows.h>

#include <deque>

#include "platform/platform.h"

namespace platform {
namespace {

std::deque<Event> g_queue;

}  // namespace

bool PollEvent(Event* event) {
  if (!event) return false;
  for (;;) {
    if (!g_queue.empty()) {
      *event = g_queue.front();
      g_queue.pop_front();
      return true;
    }
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
      *event = Event{};
      event->kind = EventKind::Quit;
      event->exit_code = int(msg.wParam);
      return true;
    }
    // Messages the window procedure has no event for are done with here; keep looking.
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void PostQuit(int exit_code) { PostQuitMessage(exit_code); }

void PushEvent(const Event& event) { g_queue.push_back(event); }

}  // namespace platform
