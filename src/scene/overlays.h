// The 2D layer over the 3D picture, and the picture-in-picture panels.
#pragma once

// mode 1 enters a width x height orthographic overlay space (origin bottom-left), mode 0
// leaves it, any other mode does nothing. The camera transform is discarded, not saved.
void Ekrana2BCizimyap(int mode, int width, int height);

// An untextured rectangle in the current colour and blending; y is measured down from the top.
void Fade(int screenHeight, float x, float y, float width, float height);

// A full-screen white flash while start <= t <= end, brightening from 0.3 to 1.0.
void FadeBeyaz(float start, float end);

// The 2D layer of one frame: group line, logo strip, credits and flashes.
void Yazilar();

// The panels of one frame: the 3D scene again in small viewports during the first 35 seconds.
void EkranEfek(unsigned long tint);
