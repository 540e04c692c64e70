// What the Win32 backend's files share: the one window of the process.
#pragma once

#include <windows.h>

namespace platform {

// The window OpenWindow made, or null.
HWND Win32Window();

}  // namespace platform
