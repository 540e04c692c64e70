// Small model arrays in the built-in format (x, y, z, nx, ny, nz, s, t per vertex) for tests,
// and a fixed view in which window coordinates convert back to model units.
#pragma once

#include <GL/gl.h>

#include <array>
#include <vector>

#include "feedback.h"

namespace testmesh {

// A cube of half-size 100 with outward face normals, two counter-clockwise triangles per
// face, faces in the order +x, -x, +y, -y, +z, -z.
inline std::vector<float> Cube() {
  struct Face {
    std::array<float, 3> n, u, v;  // u x v = n
  };
  const Face faces[6] = {
      {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},  {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
      {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}},  {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
      {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
  };
  const int corners[6][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 0}, {1, 1}, {0, 1}};
  std::vector<float> out;
  for (const Face& f : faces) {
    for (const auto& c : corners) {
      const float a = c[0] ? 100.0f : -100.0f;
      const float b = c[1] ? 100.0f : -100.0f;
      for (int k = 0; k < 3; ++k) out.push_back(100.0f * f.n[k] + a * f.u[k] + b * f.v[k]);
      for (int k = 0; k < 3; ++k) out.push_back(f.n[k]);
      out.push_back(static_cast<float>(c[0]));
      out.push_back(static_cast<float>(c[1]));
    }
  }
  return out;
}

// Orthographic view of x -1000..1000, y -750..750, z -5000..5000 over the 800x600 viewport,
// with lighting, texturing, culling and texture-coordinate generation off.
inline void PlainView() {
  glViewport(0, 0, 800, 600);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-1000, 1000, -750, 750, -5000, 5000);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
}

// A feedback vertex of PlainView back in model units.
inline std::array<float, 3> ToModel(const testsupport::FeedbackVertex& v) {
  return {v.x / 0.4f - 1000.0f, v.y / 0.4f - 750.0f, (0.5f - v.z) * 10000.0f};
}

}  // namespace testmesh
