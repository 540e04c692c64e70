// The 3D effects of the timeline: the backdrop, the box field, the in-between boxes, the
// falling box, the logo card and the screen-space strip. Each one sets the GL state it needs
// right before drawing and restores only part of it: what it leaves behind is where the next
// drawing starts, and that is part of the picture.
#pragma once

#include <GL/gl.h>

// The backdrop. finalVariant wins over roomVariant; the third form is the spinning boxes.
void ArkaKutu(bool roomVariant, float scale, unsigned long tint, bool finalVariant, bool inset);

// A hundred boxes in ten columns, drawn three times: sphere-mapped lava, additive logo, red glow.
void KutularCiz(float spacing, float swingPeriod, bool fixedSwayPeriod, bool scatter, float scatterAmount,
                bool colourFromNormals);

// Six boxes in three pairs swinging in and out in depth.
void AraKutular(bool scatter, float scatterAmount, bool colourFromNormals);

// The box that falls through the view from 7.2 s on.
void ReklamGel(unsigned long tint);

// The logo card, unlit and glowing; `moving` lets it drift towards the viewer.
void MinikKutular(unsigned long tint, bool moving);

// A textured quad in the z = 0 plane of its own frame, centred at (x, y, z).
void Kutuciz(GLuint texture, float halfWidth, float halfHeight, float x, float y, float z);

// A horizontally scrolling strip in the 2D overlay space; y is measured down from the top edge.
void Kutuciz2d(GLuint texture, int screenHeight, float x, float y, float width, float height);

// The sway divisor of the box field; only the first element is used.
extern float bols[8];
