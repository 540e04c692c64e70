// The message loop: messages first, and a frame whenever none is waiting.
#pragma once

// One turn: takes a waiting message and dispatches it, or draws a frame when there is none.
// False once WM_QUIT is taken, its code then in *exit_code.
bool MessageLoopTurn(int* exit_code);

// Turns until WM_QUIT; returns its code. Never blocks and never sleeps.
int RunMessageLoop();

// One frame, presented: clear to opaque red, the scene, flush and swap.
void DrawFrame();
