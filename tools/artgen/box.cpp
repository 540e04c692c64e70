// The box: one cuboid, two triangles per face, outward normals, each face carrying the whole
// picture (0..1 in s and t) upright as seen from outside.
#include "generators.h"
#include "mesh_builder.h"

namespace art {

std::vector<unsigned char> MakeBox(std::string* error) {
  const Vec3 lo{-950, -416, -975}, hi{946, 630, 922};
  const double st[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  struct Face {
    Vec3 normal, right, up;  // right and up as seen from outside the face
  };
  const Face faces[] = {
      {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}}, {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
      {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},  {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
  };
  const Vec3 centre = (lo + hi) * 0.5, half = (hi - lo) * 0.5;
  auto scaled = [&](Vec3 direction) { return Vec3{direction.x * half.x, direction.y * half.y, direction.z * half.z}; };
  MeshBuilder mesh;
  for (const Face& f : faces) {
    const Vec3 middle = centre + scaled(f.normal), r = scaled(f.right), u = scaled(f.up);
    mesh.FlatQuad(middle - r - u, middle + r - u, middle + r + u, middle - r + u, f.normal, st);
  }
  if (mesh.TriangleCount() != 12) {
    *error = "the box must have 12 triangles";
    return {};
  }
  return mesh.Bytes();
}

}  // namespace art
