// The demo's picture on an offscreen 800x600 surface, drawn as the demo's loop draws a frame
// but with the clock set by the caller instead of read from the playing song.
#pragma once

#include <vector>

constexpr int kFrameWidth = 800;
constexpr int kFrameHeight = 600;

// Opens the surface (headless when there is no display) with the demo's render state and scene
// set-up. False when no GL window can be had.
bool OpenScene();

// One frame of the demo's loop with mytime = `milliseconds`; returns when it is drawn.
void DrawAt(float milliseconds);

// The same frame handed to GL without waiting for it to be drawn, so that a read-back into a
// pixel buffer can follow while the rasteriser still works.
void QueueFrame(float milliseconds);

// The frame just drawn, 3 bytes per pixel, top row first.
std::vector<unsigned char> ReadFrame();
