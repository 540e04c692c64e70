// SDL2 backend: thread priority and sleeping.
#include <SDL.h>

#include <chrono>
#include <thread>

#include "platform/platform.h"

namespace platform {

void SetThreadTimeCritical() {
  // Refused without the right privileges; the thread then runs at its normal priority.
  SDL_SetThreadPriority(SDL_THREAD_PRIORITY_TIME_CRITICAL);
}

void SleepMs(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace platform
