// The demo shell: process entry, window, display mode, message loop and GL context.
#pragma once

#include "player/music.h"

// The loaded song, handed to the scene every frame; null until the music is hooked up, and
// null for good when loading fails.
extern MUSIC_MODULE* mod;

// The program's main routine; returns the exit code.
int WinMainCRTStartup();
