#include "vertex_lighting.h"

#include <algorithm>
#include <cmath>

namespace webgl11 {

namespace {

float Clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

void Normalize(float v[3]) {
  const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length == 0.0f) return;
  v[0] /= length;
  v[1] /= length;
  v[2] /= length;
}

float Dot(const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

}  // namespace

Rgba LightVertex(const Light& light, const Rgba& modelAmbient, const Material& material, const float normal[3],
                 const float eye[4]) {
  float r = material.emission.r + material.ambient.r * modelAmbient.r;
  float g = material.emission.g + material.ambient.g * modelAmbient.g;
  float b = material.emission.b + material.ambient.b * modelAmbient.b;
  if (light.enabled) {
    // Towards the light: its direction when w is 0, else from the vertex to its place.
    float toLight[3] = {light.position[0], light.position[1], light.position[2]};
    if (light.position[3] != 0.0f) {
      for (int i = 0; i < 3; ++i) toLight[i] = light.position[i] / light.position[3] - eye[i] / eye[3];
    }
    Normalize(toLight);
    r += material.ambient.r * light.ambient.r;
    g += material.ambient.g * light.ambient.g;
    b += material.ambient.b * light.ambient.b;
    const float diffuse = Dot(normal, toLight);
    if (diffuse > 0.0f) {
      r += diffuse * material.diffuse.r * light.diffuse.r;
      g += diffuse * material.diffuse.g * light.diffuse.g;
      b += diffuse * material.diffuse.b * light.diffuse.b;
      // No local viewer: the eye looks down -z from infinitely far away.
      float half[3] = {toLight[0], toLight[1], toLight[2] + 1.0f};
      Normalize(half);
      const float facing = Dot(normal, half);
      if (facing > 0.0f) {
        const float specular = std::pow(facing, material.shininess);
        r += specular * material.specular.r * light.specular.r;
        g += specular * material.specular.g * light.specular.g;
        b += specular * material.specular.b * light.specular.b;
      }
    }
  }
  return Rgba{Clamp01(r), Clamp01(g), Clamp01(b), Clamp01(material.diffuse.a)};
}

void SphereMap(const float eye[4], const float normal[3], float* s, float* t) {
  float u[3] = {eye[0], eye[1], eye[2]};
  Normalize(u);
  const float twoDot = 2.0f * Dot(normal, u);
  const float rx = u[0] - normal[0] * twoDot;
  const float ry = u[1] - normal[1] * twoDot;
  const float rz = u[2] - normal[2] * twoDot + 1.0f;
  const float m = 2.0f * std::sqrt(rx * rx + ry * ry + rz * rz);
  if (m == 0.0f) {
    *s = 0.5f;
    *t = 0.5f;
    return;
  }
  *s = rx / m + 0.5f;
  *t = ry / m + 0.5f;
}

}  // namespace webgl11
