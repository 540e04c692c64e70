// The mip chain gluBuild2DMipmaps makes from a power-of-two image: each level halves the one
// above with a 2x2 box filter, rounding to nearest, down to 1x1.
#pragma once

#include <vector>

namespace webgl11 {

struct MipLevel {
  int width;
  int height;
  std::vector<unsigned char> pixels;  // rows packed tightly, bottom row first as GL reads them
};

// `components` bytes per pixel; width and height powers of two. Level 0 is a copy of the input.
std::vector<MipLevel> BoxFilterChain(const unsigned char* pixels, int width, int height, int components);

}  // namespace webgl11
