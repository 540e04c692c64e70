// Browser backend: the page has one thread. The sound output asks for no thread here (the audio
// device drives the feeder), so priorities have nothing to act on, and a sleep can only wait
// in place.
#include <emscripten.h>

#include "platform/platform.h"

namespace platform {

void SetThreadTimeCritical() {}

void SleepMs(int milliseconds) {
  const double until = emscripten_get_now() + milliseconds;
  while (emscripten_get_now() < until) {
  }
}

}  // namespace platform
