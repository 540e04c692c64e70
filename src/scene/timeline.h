// The frame driver: which effects draw at which music time.
#pragma once

#include "player/music.h"

// One frame: reads the clock, draws the frame for it and ends the run once it passes 70 s.
void Sahne(MUSIC_MODULE* module, unsigned long tint);

// The frame for the clock already in mytime: camera, 3D scene, 2D layer, panels. Sahne's
// middle part, also used by the capture tool, which sets the clock itself.
void Sahne_Kare(unsigned long tint);

// The 3D effects of every window containing the clock, in table order, into the current
// viewport with the current camera. inset marks a picture-in-picture panel.
void Sahne_Ciz(unsigned long tint, bool inset);
