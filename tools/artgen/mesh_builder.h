// Collects triangles in the demo's vertex format (x, y, z, nx, ny, nz, s, t) and keeps every
// triangle counter-clockwise as seen from the side its normals point to.
#pragma once

#include <vector>

#include "art.h"

namespace art {

struct Vertex {
  Vec3 position;
  Vec3 normal;
  double s = 0, t = 0;
};

class MeshBuilder {
 public:
  // Adds one triangle. If its corners run clockwise as seen from the side of its normals,
  // the last two are swapped, so the normals alone decide which side is the front.
  void Triangle(Vertex a, Vertex b, Vertex c);
  // Two triangles a-b-c and a-c-d of a planar (or nearly planar) quad.
  void Quad(const Vertex& a, const Vertex& b, const Vertex& c, const Vertex& d);
  // A flat quad with one normal; corners given in order round the edge, with their (s, t).
  void FlatQuad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, Vec3 normal, const double st[4][2]);

  // Brings the list to exactly `triangles` by repeating the last vertex as zero-area
  // triangles; false when there are already more.
  bool PadTo(std::size_t triangles);

  std::size_t TriangleCount() const { return vertices_.size() / 3; }
  const std::vector<Vertex>& vertices() const { return vertices_; }
  std::vector<unsigned char> Bytes() const;

 private:
  std::vector<Vertex> vertices_;
};

}  // namespace art
