#include "mesh_builder.h"

namespace art {

void MeshBuilder::Triangle(Vertex a, Vertex b, Vertex c) {
  a.normal = Normalize(a.normal);
  b.normal = Normalize(b.normal);
  c.normal = Normalize(c.normal);
  const Vec3 face = Cross(b.position - a.position, c.position - a.position);
  if (Dot(face, a.normal + b.normal + c.normal) < 0) std::swap(b, c);
  vertices_.push_back(a);
  vertices_.push_back(b);
  vertices_.push_back(c);
}

void MeshBuilder::Quad(const Vertex& a, const Vertex& b, const Vertex& c, const Vertex& d) {
  Triangle(a, b, c);
  Triangle(a, c, d);
}

void MeshBuilder::FlatQuad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, Vec3 normal, const double st[4][2]) {
  Quad({a, normal, st[0][0], st[0][1]}, {b, normal, st[1][0], st[1][1]}, {c, normal, st[2][0], st[2][1]},
       {d, normal, st[3][0], st[3][1]});
}

bool MeshBuilder::PadTo(std::size_t triangles) {
  if (TriangleCount() > triangles || vertices_.empty()) return TriangleCount() == triangles;
  const Vertex last = vertices_.back();
  while (TriangleCount() < triangles) {
    for (int i = 0; i < 3; ++i) vertices_.push_back(last);
  }
  return true;
}

std::vector<unsigned char> MeshBuilder::Bytes() const {
  std::vector<unsigned char> bytes;
  bytes.reserve(vertices_.size() * 32);
  for (const Vertex& v : vertices_) {
    for (double value : {v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y, v.normal.z, v.s, v.t}) {
      AppendFloat(&bytes, static_cast<float>(value));
    }
  }
  return bytes;
}

}  // namespace art
