// Browser backend: the event queue. Key-downs carry the browser's key code, which for the keys
// the program knows (Escape 27, letters as upper-case ASCII, digits, Enter, arrows) is the
// Windows one; closing or leaving the page is a close request.
#include <emscripten/html5.h>


#include "platform/event_queue.h"
#include "platform/platform.h"
#include "platform/web/events.h"

namespace platform {
namespace {


EM_BOOL OnKeyDown(int, const EmscriptenKeyboardEvent* key, void*) {
  Event event;
  event.kind = EventKind::KeyDown;
  event.key = int(key->keyCode);
  queue::Push(event);
  return EM_FALSE;  // the page still sees the key (F toggles full screen)
}

const char* OnBeforeUnload(int, const void*, void*) {
  Event event;
  event.kind = EventKind::Close;
  queue::Push(event);
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
  return queue::Take(event);
}

void PostQuit(int exit_code) { queue::PostQuit(exit_code); }

void PushEvent(const Event& event) { queue::Push(event); }

}  // namespace platform
