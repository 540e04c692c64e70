// The demo shell: process entry, window, display mode, message loop and GL context.
#pragma once

// The program's main routine; returns the exit code.
int WinMainCRTStartup();
