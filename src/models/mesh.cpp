#include <GL/gl.h>

#include <cmath>

#include "models/modeller.h"

namespace {

constexpr int kFloatsPerVertex = 8;

}  // namespace

void Mesh(const float* vertices, int vertexCount, float x, float y, float z, float angle, float sx, float sy,
          float sz, bool scatter, float scatterAmount, bool colourFromNormals, bool diagonalAxis) {
  // A missing array draws like an empty one, so the pushes and pops stay paired either way.
  if (!vertices) vertexCount = 0;

  glPushMatrix();
  glTranslatef(x, y, z);
  if (diagonalAxis) {
    glRotatef(angle, 1.0f, 1.0f, 1.0f);
  } else {
    glRotatef(angle, 0.0f, 1.0f, 0.0f);
  }
  glScalef(sx, sy, sz);

  glBegin(GL_TRIANGLES);
  // Only whole triangles are read: a count that is not a multiple of three never reaches past
  // the array's last complete triangle.
  const int triangleCount = vertexCount > 0 ? vertexCount / 3 : 0;
  for (int k = 0; k < triangleCount; ++k) {
    // The phase advances per triangle, not per vertex, so each face of the model moves as one piece.
    const int r = 240 * k;
    for (int corner = 0; corner < 3; ++corner) {
      const float* v = vertices + (3 * k + corner) * kFloatsPerVertex;
      const float nx = v[3];
      const float ny = v[4];
      const float nz = v[5];
      glTexCoord2f(v[6], v[7]);
      glNormal3f(nx, ny, nz);
      if (colourFromNormals) glColor3f(nx, ny, nz);
      if (scatter) {
        const float A = scatterAmount;
        const float phase = static_cast<float>(r) * A + 100.0f;
        const float dagilx = 100.0f * A * nx * std::cos(phase);
        const float dagily = 100.0f * A * ny * std::sin(phase);
        const float dagilz = 100.0f * A * nz;
        glVertex3f(v[0] + dagilx, v[1] + dagily, v[2] + dagilz);
      } else {
        glVertex3f(v[0], v[1], v[2]);
      }
    }
  }
  glEnd();
  glPopMatrix();
}
