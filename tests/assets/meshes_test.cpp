// The two embedded meshes: 8 floats per vertex (x, y, z, nx, ny, nz, s, t), triangle lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <tuple>

#include "content.h"
#include "room.h"

namespace {

struct V3 {
  double x, y, z;
};
V3 Sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Length(V3 a) { return std::sqrt(Dot(a, a)); }

V3 Position(const float* mesh, int vertex) {
  const float* v = mesh + vertex * 8;
  return {v[0], v[1], v[2]};
}
V3 Normal(const float* mesh, int vertex) {
  const float* v = mesh + vertex * 8;
  return {v[3], v[4], v[5]};
}

// Every triangle of non-zero area turns counter-clockwise as seen from where its normals point.
void ExpectWindingFollowsNormals(const float* mesh, int vertices, int* degenerate) {
  *degenerate = 0;
  for (int tri = 0; tri < vertices / 3; ++tri) {
    const V3 a = Position(mesh, 3 * tri), b = Position(mesh, 3 * tri + 1), c = Position(mesh, 3 * tri + 2);
    const V3 face = Cross(Sub(b, a), Sub(c, a));
    if (Length(face) < 1e-6) {
      ++*degenerate;
      continue;
    }
    for (int k = 0; k < 3; ++k) {
      EXPECT_GT(Dot(face, Normal(mesh, 3 * tri + k)), 0.0) << "triangle " << tri << " corner " << k;
    }
  }
}

void ExpectUnitNormals(const float* mesh, int vertices) {
  for (int i = 0; i < vertices; ++i) EXPECT_NEAR(Length(Normal(mesh, i)), 1.0, 1e-3) << "vertex " << i;
}

struct Bounds {
  std::array<double, 8> lo, hi;  // per float of the vertex
};

Bounds Extents(const float* mesh, int vertices) {
  Bounds b;
  b.lo.fill(1e30), b.hi.fill(-1e30);
  for (int i = 0; i < vertices; ++i) {
    for (int k = 0; k < 8; ++k) {
      b.lo[std::size_t(k)] = std::min(b.lo[std::size_t(k)], double(mesh[i * 8 + k]));
      b.hi[std::size_t(k)] = std::max(b.hi[std::size_t(k)], double(mesh[i * 8 + k]));
    }
  }
  return b;
}

// Each stated limit is met within 5 % of the size along its axis.
void ExpectExtents(const Bounds& b, const double (&lo)[3], const double (&hi)[3]) {
  for (int axis = 0; axis < 3; ++axis) {
    const double tolerance = 0.05 * (hi[axis] - lo[axis]);
    EXPECT_NEAR(b.lo[std::size_t(axis)], lo[axis], tolerance) << "axis " << axis;
    EXPECT_NEAR(b.hi[std::size_t(axis)], hi[axis], tolerance) << "axis " << axis;
  }
}

TEST(BoxMesh, IsAClosedCuboidWithOutwardFacesWoundCounterClockwise) {
  int degenerate = 0;
  ExpectWindingFollowsNormals(kutu, 36, &degenerate);
  EXPECT_EQ(degenerate, 0);
  ExpectUnitNormals(kutu, 36);
  ExpectExtents(Extents(kutu, 36), {-950, -416, -975}, {946, 630, 922});

  const Bounds b = Extents(kutu, 36);
  const V3 centre{(b.lo[0] + b.hi[0]) / 2, (b.lo[1] + b.hi[1]) / 2, (b.lo[2] + b.hi[2]) / 2};
  std::map<std::tuple<float, float, float, float, float, float>, int> edges;  // undirected edge -> uses
  for (int tri = 0; tri < 12; ++tri) {
    const V3 n = Normal(kutu, 3 * tri);
    // Axis-aligned, one normal per triangle, pointing away from the middle.
    EXPECT_NEAR(std::fabs(n.x) + std::fabs(n.y) + std::fabs(n.z), 1.0, 1e-6);
    for (int k = 0; k < 3; ++k) {
      const V3 nk = Normal(kutu, 3 * tri + k);
      EXPECT_TRUE(nk.x == n.x && nk.y == n.y && nk.z == n.z);
      EXPECT_GT(Dot(Sub(Position(kutu, 3 * tri + k), centre), n), 0.0);
      const float* p = kutu + (3 * tri + k) * 8;
      const float* q = kutu + (3 * tri + (k + 1) % 3) * 8;
      auto key = std::min(std::make_tuple(p[0], p[1], p[2], q[0], q[1], q[2]), std::make_tuple(q[0], q[1], q[2], p[0], p[1], p[2]));
      ++edges[key];
    }
  }
  // Closed: every edge is shared by exactly two triangles.
  for (const auto& edge : edges) EXPECT_EQ(edge.second, 2);
}

TEST(BoxMesh, EveryFaceCarriesTheWholePicture) {
  // Group the triangles by face normal; each face's corners map to the four corners of 0..1.
  std::map<std::tuple<float, float, float>, std::map<std::pair<float, float>, int>> faces;
  for (int i = 0; i < 36; ++i) {
    const float* v = kutu + i * 8;
    EXPECT_TRUE(v[6] == 0.0f || v[6] == 1.0f);
    EXPECT_TRUE(v[7] == 0.0f || v[7] == 1.0f);
    ++faces[{v[3], v[4], v[5]}][{v[6], v[7]}];
  }
  ASSERT_EQ(faces.size(), 6u);
  for (const auto& face : faces) {
    EXPECT_EQ(face.second.size(), 4u);  // (0,0), (1,0), (1,1), (0,1) all present
  }
}

// Whether a point lies inside the room's bounding box.
bool InsideBounds(const Bounds& b, V3 p) {
  return p.x > b.lo[0] && p.x < b.hi[0] && p.y > b.lo[1] && p.y < b.hi[1] && p.z > b.lo[2] && p.z < b.hi[2];
}

TEST(RoomMesh, SurfacesFaceIntoTheRoomAndAreWoundCounterClockwise) {
  constexpr int kVertices = 5652;
  static_assert(art::kRoomTriangles * 3 == kVertices, "the generator's count is the renderer's");
  int degenerate = 0;
  ExpectWindingFollowsNormals(odamodel, kVertices, &degenerate);
  EXPECT_LE(degenerate, 64) << "the triangle budget goes on shape";
  ExpectUnitNormals(odamodel, kVertices);

  // Stepping a little along the normal from any face stays inside the room.
  const Bounds b = Extents(odamodel, kVertices);
  for (int tri = 0; tri < kVertices / 3; ++tri) {
    const V3 a = Position(odamodel, 3 * tri), p = Position(odamodel, 3 * tri + 1), c = Position(odamodel, 3 * tri + 2);
    const V3 n = Normal(odamodel, 3 * tri);
    const V3 probe{(a.x + p.x + c.x) / 3 + 4 * n.x, (a.y + p.y + c.y) / 3 + 4 * n.y, (a.z + p.z + c.z) / 3 + 4 * n.z};
    EXPECT_TRUE(InsideBounds(b, probe)) << "triangle " << tri << " faces out of the room";
  }
}

TEST(RoomMesh, HasTheStatedExtentsAndTextureRange) {
  const Bounds b = Extents(odamodel, 5652);
  ExpectExtents(b, {-574, -143, -581}, {589, 418, 585});
  EXPECT_NEAR(b.lo[6], -0.1, 0.02);
  EXPECT_NEAR(b.hi[6], 1.0, 0.02);
  EXPECT_NEAR(b.lo[7], 0.0, 0.02);
  EXPECT_NEAR(b.hi[7], 1.0, 0.02);
}

TEST(RoomMesh, HasFloorCeilingAndWallsFacingInwardFromAllSides) {
  // Area of the surfaces whose normal points mostly along each of the six directions.
  std::array<double, 6> area{};
  for (int tri = 0; tri < 1884; ++tri) {
    const V3 a = Position(odamodel, 3 * tri), b = Position(odamodel, 3 * tri + 1), c = Position(odamodel, 3 * tri + 2);
    const double size = Length(Cross(Sub(b, a), Sub(c, a))) / 2;
    const V3 n = Normal(odamodel, 3 * tri);
    const double parts[6] = {n.x, -n.x, n.y, -n.y, n.z, -n.z};
    for (int k = 0; k < 6; ++k) {
      if (parts[k] > 0.9) area[std::size_t(k)] += size;
    }
  }
  // Floor (facing up) and ceiling (facing down) each cover most of the plan; every wall most
  // of its side.
  EXPECT_GT(area[2], 0.8 * 1163 * 1166);
  EXPECT_GT(area[3], 0.8 * 1163 * 1166);
  for (int k : {0, 1, 4, 5}) EXPECT_GT(area[std::size_t(k)], 0.8 * 1163 * 561) << "direction " << k;
}

}  // namespace
