#include <GL/gl.h>
#include <gtest/gtest.h>

#include "content.h"
#include "feedback.h"
#include "models/modeller.h"
#include "support/gl_context.h"
#include "test_meshes.h"

namespace {

using testsupport::CapturePolygons;

class BuiltinModelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(testsupport::EnsureGLContext(&why)) << why;
    testmesh::PlainView();
  }
};

void ExpectModelPoint(const testsupport::FeedbackVertex& v, float x, float y, float z) {
  const auto p = testmesh::ToModel(v);
  EXPECT_NEAR(p[0], x, 0.1f);
  EXPECT_NEAR(p[1], y, 0.1f);
  EXPECT_NEAR(p[2], z, 0.1f);
}

TEST_F(BuiltinModelsTest, TheRoomDrawsAllItsTrianglesTurningAboutTheVerticalAxis) {
  bool overflow = false;
  const auto polygons = CapturePolygons([] { Oda(0, 0, 0, 90, 1, 1, 1, false, 0, false); }, &overflow);
  ASSERT_FALSE(overflow);
  ASSERT_EQ(1884u, polygons.size());
  // 90 degrees about y: (x, y, z) goes to (z, y, -x).
  for (std::size_t k : {std::size_t{0}, std::size_t{941}, std::size_t{1883}}) {
    const float* v = odamodel + 3 * k * 8;
    SCOPED_TRACE(::testing::Message() << "triangle " << k);
    ExpectModelPoint(polygons[k].vertices[0], v[2], v[1], -v[0]);
  }
}

TEST_F(BuiltinModelsTest, TheBoxTurnsAboutTheDiagonalAndTakesPrimaryColoursFromItsNormals) {
  glColor3f(0.5f, 0.5f, 0.5f);
  const auto polygons = CapturePolygons([] { Kutu(0, 0, 0, 120, 0.5f, 0.5f, 0.5f, false, 0, true); });
  ASSERT_EQ(12u, polygons.size());
  int faces[3][2] = {{0, 0}, {0, 0}, {0, 0}};  // per axis: positive, negative triangles
  for (std::size_t k = 0; k < polygons.size(); ++k) {
    const float* v = kutu + 3 * k * 8;
    SCOPED_TRACE(::testing::Message() << "triangle " << k);
    // 120 degrees about (1, 1, 1): (x, y, z) goes to (z, x, y).
    ExpectModelPoint(polygons[k].vertices[0], 0.5f * v[2], 0.5f * v[0], 0.5f * v[1]);
    int axis = -1;
    for (int a = 0; a < 3; ++a)
      if (v[3 + a] > 0.9f || v[3 + a] < -0.9f) axis = a;
    ASSERT_GE(axis, 0) << "face normals are along the axes";
    const bool positive = v[3 + axis] > 0;
    ++faces[axis][positive ? 0 : 1];
    for (const auto& corner : polygons[k].vertices) {
      const float colour[3] = {corner.r, corner.g, corner.b};
      for (int a = 0; a < 3; ++a) EXPECT_NEAR(positive && a == axis ? 1.0f : 0.0f, colour[a], 0.01f);
    }
  }
  for (const auto& axis : faces) {
    EXPECT_EQ(2, axis[0]);
    EXPECT_EQ(2, axis[1]);
  }
}

}  // namespace
