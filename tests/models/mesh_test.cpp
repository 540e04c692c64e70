#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "feedback.h"
#include "models/modeller.h"
#include "support/gl_context.h"
#include "test_meshes.h"

namespace {

using testsupport::CapturePolygons;
using testsupport::FeedbackPolygon;

class MeshTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(testsupport::EnsureGLContext(&why)) << why;
    testmesh::PlainView();
  }
};

void ExpectModelPoint(const testsupport::FeedbackVertex& v, float x, float y, float z, const char* what) {
  const auto p = testmesh::ToModel(v);
  EXPECT_NEAR(p[0], x, 0.05f) << what;
  EXPECT_NEAR(p[1], y, 0.05f) << what;
  EXPECT_NEAR(p[2], z, 0.05f) << what;
}

std::vector<float> Flatten(const std::vector<FeedbackPolygon>& polygons) {
  std::vector<float> out;
  for (const auto& p : polygons)
    for (const auto& v : p.vertices) {
      const float* f = &v.x;
      out.insert(out.end(), f, f + 11);
    }
  return out;
}

GLint ModelviewDepth() {
  GLint depth = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
  return depth;
}

TEST_F(MeshTest, EmptyOrMissingArraysDrawNothingAndLeaveTheMatrixAlone) {
  const auto cube = testmesh::Cube();
  glTranslatef(1.0f, 2.0f, 3.0f);
  GLfloat before[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  const GLint depth = ModelviewDepth();

  EXPECT_TRUE(CapturePolygons([&] { Mesh(cube.data(), 0, 0, 0, 0, 0, 1, 1, 1, false, 0, false, true); }).empty());
  EXPECT_TRUE(CapturePolygons([&] { Mesh(cube.data(), -3, 0, 0, 0, 0, 1, 1, 1, true, 5, true, false); }).empty());
  EXPECT_TRUE(CapturePolygons([&] { Mesh(nullptr, 36, 0, 0, 0, 0, 1, 1, 1, false, 0, false, true); }).empty());

  GLfloat after[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  EXPECT_EQ(0, std::memcmp(before, after, sizeof before));
  EXPECT_EQ(depth, ModelviewDepth());
  EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}

TEST_F(MeshTest, DrawsEveryTriangleInArrayOrderWithItsTextureCoordinates) {
  const auto cube = testmesh::Cube();
  const auto polygons =
      CapturePolygons([&] { Mesh(cube.data(), 36, 10, 20, 30, 0, 2, 3, 4, false, 0, false, true); });
  ASSERT_EQ(12u, polygons.size());
  for (std::size_t k = 0; k < polygons.size(); ++k) {
    ASSERT_EQ(3u, polygons[k].vertices.size());
    for (std::size_t j = 0; j < 3; ++j) {
      const float* src = cube.data() + (3 * k + j) * 8;
      const auto& v = polygons[k].vertices[j];
      ExpectModelPoint(v, 10 + 2 * src[0], 20 + 3 * src[1], 30 + 4 * src[2], "placed vertex");
      EXPECT_FLOAT_EQ(src[6], v.s);
      EXPECT_FLOAT_EQ(src[7], v.t);
    }
  }
  // The normals go down with the vertices: the last one issued is the last vertex's.
  GLfloat normal[4];
  glGetFloatv(GL_CURRENT_NORMAL, normal);
  EXPECT_FLOAT_EQ(cube[35 * 8 + 3], normal[0]);
  EXPECT_FLOAT_EQ(cube[35 * 8 + 4], normal[1]);
  EXPECT_FLOAT_EQ(cube[35 * 8 + 5], normal[2]);
}

TEST_F(MeshTest, TranslatesThenRotatesThenScales) {
  // One triangle with a corner on each axis.
  const float triangle[24] = {100, 0, 0, 0, 0, 1, 0, 0, 0, 50, 0, 0, 0, 1, 1, 0, 0, 0, 25, 0, 0, 1, 1, 1};

  // 120 degrees about (1, 1, 1) turns x into y, y into z and z into x.
  auto p = CapturePolygons([&] { Mesh(triangle, 3, 0, 0, 0, 120, 1, 1, 1, false, 0, false, true); });
  ASSERT_EQ(1u, p.size());
  ExpectModelPoint(p[0].vertices[0], 0, 100, 0, "diagonal turn of x");
  ExpectModelPoint(p[0].vertices[1], 0, 0, 50, "diagonal turn of y");
  ExpectModelPoint(p[0].vertices[2], 25, 0, 0, "diagonal turn of z");

  // 90 degrees about the vertical axis, after a scale of 2 in x, before the translation.
  p = CapturePolygons([&] { Mesh(triangle, 3, 10, 0, 0, 90, 2, 1, 1, false, 0, false, false); });
  ASSERT_EQ(1u, p.size());
  ExpectModelPoint(p[0].vertices[0], 10, 0, -200, "vertical turn of scaled x");
  ExpectModelPoint(p[0].vertices[1], 10, 50, 0, "vertical turn of y");
  ExpectModelPoint(p[0].vertices[2], 35, 0, 0, "vertical turn of z");

  // No angle, no turn, whichever axis.
  p = CapturePolygons([&] { Mesh(triangle, 3, 0, 0, 0, 0, 1, 1, 1, false, 0, false, true); });
  ASSERT_EQ(1u, p.size());
  ExpectModelPoint(p[0].vertices[0], 100, 0, 0, "unturned x");
  ExpectModelPoint(p[0].vertices[2], 0, 0, 25, "unturned z");
}

TEST_F(MeshTest, ScatterWithAmountZeroIsNoScatter) {
  const auto cube = testmesh::Cube();
  const auto still = Flatten(CapturePolygons([&] { Mesh(cube.data(), 36, 5, 6, 7, 33, 1, 1, 1, false, 0, true, true); }));
  const auto zero = Flatten(CapturePolygons([&] { Mesh(cube.data(), 36, 5, 6, 7, 33, 1, 1, 1, true, 0, true, true); }));
  ASSERT_EQ(12u * 3 * 11, still.size());
  EXPECT_EQ(still, zero);
}

TEST_F(MeshTest, ScatterMovesEachTriangleAlongItsNormalWithOnePhasePerTriangle) {
  const auto cube = testmesh::Cube();
  const float A = 0.25f;
  const auto polygons = CapturePolygons([&] { Mesh(cube.data(), 36, 0, 0, 0, 0, 1, 1, 1, true, A, false, true); });
  ASSERT_EQ(12u, polygons.size());
  for (int k = 0; k < 12; ++k) {
    const float phase = static_cast<float>(240 * k) * A + 100.0f;
    for (int j = 0; j < 3; ++j) {
      const float* src = cube.data() + (3 * k + j) * 8;
      const float dx = 100.0f * A * src[3] * std::cos(phase);
      const float dy = 100.0f * A * src[4] * std::sin(phase);
      const float dz = 100.0f * A * src[5];
      SCOPED_TRACE(::testing::Message() << "triangle " << k << " corner " << j);
      ExpectModelPoint(polygons[k].vertices[j], src[0] + dx, src[1] + dy, src[2] + dz, "scattered vertex");
    }
  }
  // The +z face (triangles 8 and 9) moves 25 units out whatever its phase.
  EXPECT_NEAR(testmesh::ToModel(polygons[8].vertices[0])[2], 125.0f, 0.05f);
}

TEST_F(MeshTest, ColourFromNormalsGivesPrimaryColoursAndBlackForNegativeAxes) {
  const auto cube = testmesh::Cube();
  glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
  const auto coloured = CapturePolygons([&] { Mesh(cube.data(), 36, 0, 0, 0, 0, 1, 1, 1, false, 0, true, true); });
  ASSERT_EQ(12u, coloured.size());
  const float expected[6][3] = {{1, 0, 0}, {0, 0, 0}, {0, 1, 0}, {0, 0, 0}, {0, 0, 1}, {0, 0, 0}};
  for (int k = 0; k < 12; ++k)
    for (const auto& v : coloured[k].vertices) {
      SCOPED_TRACE(::testing::Message() << "triangle " << k);
      EXPECT_NEAR(expected[k / 2][0], v.r, 0.01f);
      EXPECT_NEAR(expected[k / 2][1], v.g, 0.01f);
      EXPECT_NEAR(expected[k / 2][2], v.b, 0.01f);
    }

  // Without it no colour is issued: the caller's colour applies.
  glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
  const auto plain = CapturePolygons([&] { Mesh(cube.data(), 36, 0, 0, 0, 0, 1, 1, 1, false, 0, false, true); });
  ASSERT_EQ(12u, plain.size());
  for (const auto& p : plain)
    for (const auto& v : p.vertices) {
      EXPECT_NEAR(0.25f, v.r, 0.01f);
      EXPECT_NEAR(0.5f, v.g, 0.01f);
      EXPECT_NEAR(0.75f, v.b, 0.01f);
    }
}

TEST_F(MeshTest, MatrixStackDepthIsUnchangedForEveryVariant) {
  const auto cube = testmesh::Cube();
  const GLint depth = ModelviewDepth();
  for (int variant = 0; variant < 8; ++variant) {
    Mesh(cube.data(), 36, 1, 2, 3, 45, 1, 2, 3, variant & 1, 10.0f, variant & 2, variant & 4);
    EXPECT_EQ(depth, ModelviewDepth()) << "variant " << variant;
  }
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(GL_MODELVIEW, mode);
  EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}

TEST_F(MeshTest, AnIncompleteLastTriangleIsNotRead) {
  // Four vertices: one whole triangle; the fourth must not start a second that runs off the array.
  const float four[32] = {0, 0, 0, 0, 0, 1, 0, 0, 100, 0, 0, 0, 0, 1, 1, 0,
                          0, 100, 0, 0, 0, 1, 0, 1, 50, 50, 0, 0, 0, 1, 1, 1};
  const auto p = CapturePolygons([&] { Mesh(four, 4, 0, 0, 0, 0, 1, 1, 1, false, 0, false, true); });
  EXPECT_EQ(1u, p.size());
}

}  // namespace
