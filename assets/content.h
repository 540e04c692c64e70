// The demo's content: constant arrays made at build time from the sources in assets/.
#pragma once

#include <cstddef>

// 256x256 RGB images, 3 bytes per texel, bottom row first.
extern const unsigned char tarvelondoku[196608];  // the group's logo, black outside its band
extern const unsigned char lavasdoku[196608];     // lava, tileable
extern const unsigned char bitmapfont[196608];    // 16x16 grid of 16x16 glyph cells

// The song as an XM file image, followed by 8 zero bytes; muzik_length is the file's own size.
extern const unsigned char muzik[];
extern const std::size_t muzik_length;

// Meshes: 8 floats per vertex (x, y, z, nx, ny, nz, s, t), three vertices per triangle.
extern const float kutu[36 * 8];          // the box
extern const float odamodel[5652 * 8];    // the room
