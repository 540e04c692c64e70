// Browser backend: where the page's keys and its closing enter the event queue.
#pragma once

namespace platform::web {

// Key-downs anywhere in the page and the page being closed or left become events.
void ListenForEvents();
void StopListening();

}  // namespace platform::web
