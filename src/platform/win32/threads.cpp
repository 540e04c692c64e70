// Win32 backend: thread priority and sleeping.
#include <windows.h>

#include "platform/platform.h"

namespace platform {

void SetThreadTimeCritical() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL); }

void SleepMs(int milliseconds) { Sleep(milliseconds > 0 ? DWORD(milliseconds) : 0); }

}  // namespace platform
