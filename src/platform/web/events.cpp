// Browser backend: the event queue. Key-downs carry the browser's key code, which for the keys
// the program knows (Escape 27, letters as upper-case ASCII, digits, Enter, arrows) is the
// Windows one; closing or leaving the page is a close request.
#include <emscripten/html5.h>

#include <deque>

#include "platform/platform.h"
#include "platform/web/events.h"

namespace platform {
namespace {

std::deque<Event> g_queue;
bool g_quit_posted = false;
int g_quit_code = 0;

EM_BOOL OnKeyDown(int, const EmscriptenKeyboardEvent* key, void*) {
  Event event;
  event.kind = EventKind::KeyDown;
  event.key = int(key->keyCode);
  g_queue.push_back(event);
  return EM_FALSE;  // the page still sees the key (F toggles full screen)
}

const char* OnBeforeUnload(int, const void*, void*) {
  Event event;
  event.kind = EventKind::Close;
  g_queue.push_back(event);
  return nullptr;  // no question to the user: the page just goes
}

}  // namespace

namespace web {

void ListenForEvents() {
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, OnKeyDown);
  emscripten_set_beforeunload_callback(nullptr, OnBeforeUnload);
}

void StopListening() {
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, nullptr);
  emscripten_set_beforeunload_callback(nullptr, nullptr);
}

}  // namespace web

bool PollEvent(Event* event) {
  if (!event) return false;
  if (!g_queue.empty()) {
    *event = g_queue.front();
    g_queue.pop_front();
    return true;
  }
  if (g_quit_posted) {
    g_quit_posted = false;
    *event = Event{};
    event->kind = EventKind::Quit;
    event->exit_code = g_quit_code;
    return true;
  }
  return false;
}

void PostQuit(int exit_code) {
  g_quit_posted = true;
  g_quit_code = exit_code;
}

void PushEvent(const Event& event) { g_queue.push_back(event); }

}  // namespace platform
