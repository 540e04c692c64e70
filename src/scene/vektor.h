// The scene's three-component vector.
#pragma once

struct vektor3d {
  float x;
  float y;
  float z;
};

void setvec3d(vektor3d* v, float x, float y, float z);
// Sets (0, 0, 0).
void vec3d(vektor3d* v);
