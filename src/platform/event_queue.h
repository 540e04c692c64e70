// The event queue the SDL and browser backends keep themselves (Windows has its own): events
// in the order they came, and a quit request handed out once, only when nothing else waits.
#pragma once

#include "platform/platform.h"

namespace platform::queue {

void Push(const Event& event);
// Takes the oldest event, or the quit request once the queue is empty; false when neither.
bool Take(Event* event);
void PostQuit(int exit_code);

}  // namespace platform::queue
