#include "scene/vektor.h"

void setvec3d(vektor3d* v, float x, float y, float z) {
  if (!v) return;
  v->x = x;
  v->y = y;
  v->z = z;
}

void vec3d(vektor3d* v) { setvec3d(v, 0.0f, 0.0f, 0.0f); }
