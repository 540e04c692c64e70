#include "content.h"
#include "models/modeller.h"

namespace {

constexpr int kBoxVertices = 36;
constexpr int kRoomVertices = 5652;

}  // namespace

void Kutu(float x, float y, float z, float angle, float sx, float sy, float sz, bool scatter, float scatterAmount,
          bool colourFromNormals) {
  Mesh(kutu, kBoxVertices, x, y, z, angle, sx, sy, sz, scatter, scatterAmount, colourFromNormals, true);
}

void Oda(float x, float y, float z, float angle, float sx, float sy, float sz, bool scatter, float scatterAmount,
         bool colourFromNormals) {
  Mesh(odamodel, kRoomVertices, x, y, z, angle, sx, sy, sz, scatter, scatterAmount, colourFromNormals, false);
}
