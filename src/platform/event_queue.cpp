#include "platform/event_queue.h"

#include <deque>

namespace platform::queue {
namespace {

std::deque<Event> g_events;
bool g_quit_posted = false;
int g_quit_code = 0;

}  // namespace

void Push(const Event& event) { g_events.push_back(event); }

bool Take(Event* event) {
  if (!g_events.empty()) {
    *event = g_events.front();
    g_events.pop_front();
    return true;
  }
  if (!g_quit_posted) return false;
  g_quit_posted = false;
  *event = Event{};
  event->kind = EventKind::Quit;
  event->exit_code = g_quit_code;
  return true;
}

void PostQuit(int exit_code) {
  g_quit_posted = true;
  g_quit_code = exit_code;
}

}  // namespace platform::queue
