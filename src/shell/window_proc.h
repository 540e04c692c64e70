// The window procedure: what the demo does with each message of its window.
#pragma once

#include "shell/messages.h"

using WindowProcedure = LRESULT (*)(UINT message, WPARAM wParam, LPARAM lParam);

// Escape and close requests become a quit request with code 0; size messages set the viewport
// and projection; key-downs end here whatever the key; the rest goes to DefWindowProc.
LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

// The default handling of messages the program leaves alone. The window system already did
// whatever a window needs, so by default nothing more happens and the result is 0.
LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

// Puts another default handling in place (null restores the built-in one); returns the one
// that was in place, so that whoever replaces it can put it back.
WindowProcedure SetDefaultWindowProc(WindowProcedure procedure);
