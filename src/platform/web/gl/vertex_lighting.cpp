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

LightingTerms PrepareLighting(const Light& light, const Rgba& modelAmbient, const Material& material) {
  LightingTerms t{};
  t.lightOn = light.enabled;
  t.directional = light.position[3] == 0.0f;
  const Rgba lightAmbient = light.enabled ? light.ambient : Rgba{0.0f, 0.0f, 0.0f, 0.0f};
  t.ambientSum[0] = modelAmbient.r + lightAmbient.r;
  t.ambientSum[1] = modelAmbient.g + lightAmbient.g;
  t.ambientSum[2] = modelAmbient.b + lightAmbient.b;
  t.lightDiffuse[0] = light.diffuse.r;
  t.lightDiffuse[1] = light.diffuse.g;
  t.lightDiffuse[2] = light.diffuse.b;
  t.specular[0] = material.specular.r * light.specular.r;
  t.specular[1] = material.specular.g * light.specular.g;
  t.specular[2] = material.specular.b * light.specular.b;
  t.shininess = material.shininess;
  t.emission = material.emission;
  if (t.directional) {
    for (int i = 0; i < 3; ++i) t.toLight[i] = light.position[i];
    Normalize(t.toLight);
    // No local viewer: the eye looks down -z from infinitely far away.
    t.half[0] = t.toLight[0];
    t.half[1] = t.toLight[1];
    t.half[2] = t.toLight[2] + 1.0f;
    Normalize(t.half);
  } else {
    for (int i = 0; i < 3; ++i) t.position[i] = light.position[i] / light.position[3];
  }
  return t;
}

Rgba LightVertex(const LightingTerms& terms, const Rgba& ambient, const Rgba& diffuse, const float normal[3],
                 const float eye[4]) {
  float r = terms.emission.r + ambient.r * terms.ambientSum[0];
  float g = terms.emission.g + ambient.g * terms.ambientSum[1];
  float b = terms.emission.b + ambient.b * terms.ambientSum[2];
  if (terms.lightOn) {
    float toLight[3];
    float half[3];
    if (terms.directional) {
      for (int i = 0; i < 3; ++i) {
        toLight[i] = terms.toLight[i];
        half[i] = terms.half[i];
      }
    } else {
      for (int i = 0; i < 3; ++i) toLight[i] = terms.position[i] - eye[i] / eye[3];
      Normalize(toLight);
      half[0] = toLight[0];
      half[1] = toLight[1];
      half[2] = toLight[2] + 1.0f;
      Normalize(half);
    }
    const float facingLight = Dot(normal, toLight);
    if (facingLight > 0.0f) {
      r += facingLight * diffuse.r * terms.lightDiffuse[0];
      g += facingLight * diffuse.g * terms.lightDiffuse[1];
      b += facingLight * diffuse.b * terms.lightDiffuse[2];
      const float facingHalf = Dot(normal, half);
      if (facingHalf > 0.0f) {
        const float specular = std::pow(facingHalf, terms.shininess);
        r += specular * terms.specular[0];
        g += specular * terms.specular[1];
        b += specular * terms.specular[2];
      }
    }
  }
  return Rgba{Clamp01(r), Clamp01(g), Clamp01(b), Clamp01(diffuse.a)};
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
