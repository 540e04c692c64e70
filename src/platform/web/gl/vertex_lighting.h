// What GL 1.1 computes for one vertex once it is in eye space: the colour from one light and
// the material, and sphere-map texture coordinates.
#pragma once

namespace webgl11 {

struct Rgba {
  float r, g, b, a;
};

struct Light {
  bool enabled = false;
  Rgba ambient{0.0f, 0.0f, 0.0f, 1.0f};
  Rgba diffuse{1.0f, 1.0f, 1.0f, 1.0f};  // light 0's defaults
  Rgba specular{1.0f, 1.0f, 1.0f, 1.0f};
  float position[4] = {0.0f, 0.0f, 1.0f, 0.0f};  // in eye space, as taken when it was set
};

struct Material {
  Rgba ambient{0.2f, 0.2f, 0.2f, 1.0f};
  Rgba diffuse{0.8f, 0.8f, 0.8f, 1.0f};
  Rgba specular{0.0f, 0.0f, 0.0f, 1.0f};
  Rgba emission{0.0f, 0.0f, 0.0f, 1.0f};
  float shininess = 0.0f;
};

// What the lighting of a primitive's vertices shares, worked out once per primitive: the light's
// direction and half vector (when it is directional), and the products of light and material
// that do not depend on the colour tracked by colour material.
struct LightingTerms {
  bool lightOn;
  bool directional;
  float toLight[3];   // unit, when directional
  float half[3];      // unit, when directional
  float position[3];  // the light's place, when it is not directional
  float ambientSum[3];      // model ambient plus the light's ambient
  float lightDiffuse[3];
  float specular[3];        // material specular times light specular
  float shininess;
  Rgba emission;
};
LightingTerms PrepareLighting(const Light& light, const Rgba& modelAmbient, const Material& material);

// GL 1.1's lighting equation with no local viewer, one light and front-face material, each
// component clamped to [0, 1], for a vertex whose ambient and diffuse reflectances are given.
// `normal` is in eye space; `eye` is the vertex in eye space (used only by a light that is not
// directional).
Rgba LightVertex(const LightingTerms& terms, const Rgba& ambient, const Rgba& diffuse, const float normal[3],
                 const float eye[4]);

// GL_SPHERE_MAP's (s, t) for a vertex at `eye` with the eye-space normal `normal`.
void SphereMap(const float eye[4], const float normal[3], float* s, float* t);

}  // namespace webgl11
