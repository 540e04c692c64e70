// The scene's set-up: textures from the embedded images, the font, the shared positions.
#pragma once

#include <GL/gl.h>

#include "scene/vektor.h"

extern GLuint metald;  // the logo image
extern GLuint lava2d;  // the lava image
extern vektor3d apos;  // scratch position of the box effects
extern vektor3d kpos;  // the camera's base position; stays (0, 0, 0)

// Makes one mipmapped texture from a width x height RGB array and leaves it bound. Filter 1
// samples trilinearly, anything else linearly from the base level. Null pixels: nothing happens.
void Dokuyukle(GLuint& texture, const unsigned char* pixels, int width, int height, unsigned long filter);

// 1 switches sphere-map generation of s and t on; any other value switches it off.
void dokusalla(int on);

// Builds the textures, the font's lists and resets the positions; needs a current GL context.
bool Sahneinit();
