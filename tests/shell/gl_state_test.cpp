// The fixed render state, light, material and projection, read back from a real Mesa context.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "shell/gl_state.h"
#include "shell/messages.h"
#include "shell/window_proc.h"
#include "support/gl_context.h"

namespace {

using Vec4 = std::array<GLfloat, 4>;
using Matrix = std::array<GLfloat, 16>;

Matrix Get(GLenum which) {
  Matrix m{};
  glGetFloatv(which, m.data());
  return m;
}

Vec4 GetVec4(GLenum which) {
  Vec4 v{};
  glGetFloatv(which, v.data());
  return v;
}

// gluPerspective's matrix, column-major, for a field of view of 50 degrees, near 5, far 10000.
Matrix Perspective(double aspect) {
  const double pi = 3.14159265358979323846;
  const double f = 1.0 / std::tan(25.0 * pi / 180.0);
  const double near_plane = 5.0, far_plane = 10000.0;
  Matrix m{};
  m[0] = GLfloat(f / aspect);
  m[5] = GLfloat(f);
  m[10] = GLfloat((far_plane + near_plane) / (near_plane - far_plane));
  m[11] = -1.0f;
  m[14] = GLfloat(2.0 * far_plane * near_plane / (near_plane - far_plane));
  return m;
}

void ExpectMatrixNear(const Matrix& actual, const Matrix& expected) {
  for (int i = 0; i < 16; ++i) {
    EXPECT_NEAR(actual[i], expected[i], 1e-6 + 1e-5 * std::fabs(expected[i])) << "element " << i;
  }
}

void ExpectIdentity(const Matrix& m) {
  Matrix identity{};
  identity[0] = identity[5] = identity[10] = identity[15] = 1.0f;
  ExpectMatrixNear(m, identity);
}

void ExpectViewport(int x, int y, int width, int height) {
  GLint viewport[4] = {-1, -1, -1, -1};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[0], x);
  EXPECT_EQ(viewport[1], y);
  EXPECT_EQ(viewport[2], width);
  EXPECT_EQ(viewport[3], height);
}

void ExpectModelViewCurrentAndIdentity() {
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  ExpectIdentity(Get(GL_MODELVIEW_MATRIX));
}

GLint GetInt(GLenum which) {
  GLint value = -1;
  glGetIntegerv(which, &value);
  return value;
}

GLfloat GetFloat(GLenum which) {
  GLfloat value = -1;
  glGetFloatv(which, &value);
  return value;
}

Vec4 Light0(GLenum which) {
  Vec4 v{};
  glGetLightfv(GL_LIGHT0, which, v.data());
  return v;
}

Vec4 Material(GLenum face, GLenum which) {
  Vec4 v{};
  glGetMaterialfv(face, which, v.data());
  return v;
}

class RenderState : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(testsupport::EnsureGLContext(&why)) << why;
    // A fresh context each time, so every test sees the set-up's state and nothing else.
    EnableOpenGL(800, 600, 16);
    SetLight();
    SetMaterial();
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  }
};

TEST_F(RenderState, AfterSetUpTheModelViewMatrixIsCurrentAndIdentity) {
  ExpectModelViewCurrentAndIdentity();
}

TEST_F(RenderState, ProjectionIsFiftyDegreesAtFourToThree) {
  ExpectViewport(0, 0, 800, 600);
  ExpectMatrixNear(Get(GL_PROJECTION_MATRIX), Perspective(800.0 / 600.0));
}

TEST_F(RenderState, ZeroHeightIsTakenAsOne) {
  Sahne_tekrarciz(800, 0);
  ExpectViewport(0, 0, 800, 1);
  const Matrix projection = Get(GL_PROJECTION_MATRIX);
  ExpectMatrixNear(projection, Perspective(800.0));
  EXPECT_NEAR(projection[5] / projection[0], 800.0, 1e-3);
  ExpectModelViewCurrentAndIdentity();
}

TEST_F(RenderState, SizeMessageSetsViewportAndProjection) {
  EXPECT_EQ(WndProc(WM_SIZE, 0, MakeSizeParam(640, 0)), 0);
  ExpectViewport(0, 0, 640, 1);
  ExpectMatrixNear(Get(GL_PROJECTION_MATRIX), Perspective(640.0));

  EXPECT_EQ(WndProc(WM_SIZE, 0, MakeSizeParam(1024, 768)), 0);
  ExpectViewport(0, 0, 1024, 768);
  ExpectMatrixNear(Get(GL_PROJECTION_MATRIX), Perspective(1024.0 / 768.0));
  ExpectModelViewCurrentAndIdentity();
}

TEST_F(RenderState, FixedState) {
  const Vec4 clear = GetVec4(GL_COLOR_CLEAR_VALUE);
  EXPECT_EQ(clear, (Vec4{0, 0, 0, 0}));
  EXPECT_EQ(GetFloat(GL_DEPTH_CLEAR_VALUE), 1.0f);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_EQ(GetInt(GL_DEPTH_FUNC), GL_LEQUAL);
  EXPECT_EQ(GetInt(GL_SHADE_MODEL), GL_SMOOTH);
  EXPECT_EQ(GetInt(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);
  EXPECT_TRUE(glIsEnabled(GL_LINE_SMOOTH));
  EXPECT_EQ(GetInt(GL_LINE_SMOOTH_HINT), GL_NICEST);
  EXPECT_TRUE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
  EXPECT_EQ(GetFloat(GL_POLYGON_OFFSET_FACTOR), -0.5f);
  EXPECT_EQ(GetFloat(GL_POLYGON_OFFSET_UNITS), -0.5f);
  EXPECT_EQ(GetFloat(GL_LINE_WIDTH), 2.0f);
  EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
  EXPECT_EQ(GetInt(GL_FRONT_FACE), GL_CCW);
  GLint polygon_mode[2] = {0, 0};
  glGetIntegerv(GL_POLYGON_MODE, polygon_mode);
  EXPECT_EQ(polygon_mode[0], GL_FILL);
  EXPECT_EQ(GetInt(GL_READ_BUFFER), GL_BACK);
  EXPECT_EQ(GetInt(GL_DRAW_BUFFER), GL_BACK);
}

TEST_F(RenderState, WhatIsNotSetStaysAtTheDefault) {
  GLint env_mode = 0;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env_mode);
  EXPECT_EQ(env_mode, GL_MODULATE);
  EXPECT_EQ(GetInt(GL_COLOR_MATERIAL_FACE), GL_FRONT_AND_BACK);
  EXPECT_EQ(GetInt(GL_COLOR_MATERIAL_PARAMETER), GL_AMBIENT_AND_DIFFUSE);
  EXPECT_EQ(GetInt(GL_DEPTH_WRITEMASK), GL_TRUE);
  for (GLenum capability : {GL_CULL_FACE, GL_BLEND, GL_TEXTURE_2D, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T}) {
    EXPECT_FALSE(glIsEnabled(capability)) << capability;
  }
}

TEST_F(RenderState, LightZeroAndLightModel) {
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
  EXPECT_EQ(Light0(GL_AMBIENT), (Vec4{0.2f, 0.2f, 0.2f, 1.0f}));
  EXPECT_EQ(Light0(GL_DIFFUSE), (Vec4{0.8f, 0.8f, 0.7f, 1.0f}));
  EXPECT_EQ(Light0(GL_SPECULAR), (Vec4{0.5f, 0.5f, 0.5f, 1.0f}));
  // Stored in eye space: the identity model-view leaves it as given.
  EXPECT_EQ(Light0(GL_POSITION), (Vec4{0.0f, 100.0f, 0.0f, 0.0f}));
  EXPECT_EQ(GetVec4(GL_LIGHT_MODEL_AMBIENT), (Vec4{0.2f, 0.2f, 0.2f, 1.0f}));
}

TEST_F(RenderState, MaterialOnBothFaces) {
  EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
  for (GLenum face : {GL_FRONT, GL_BACK}) {
    EXPECT_EQ(Material(face, GL_SPECULAR), (Vec4{0.2f, 0.2f, 0.2f, 1.0f})) << face;
    EXPECT_EQ(Material(face, GL_EMISSION), (Vec4{0.1f, 0.1f, 0.1f, 1.0f})) << face;
    EXPECT_EQ(Material(face, GL_SHININESS)[0], 64.0f) << face;
  }
  // With colour tracking on, glColor sets ambient and diffuse and nothing else.
  glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
  for (GLenum face : {GL_FRONT, GL_BACK}) {
    EXPECT_EQ(Material(face, GL_AMBIENT), (Vec4{0.25f, 0.5f, 0.75f, 1.0f})) << face;
    EXPECT_EQ(Material(face, GL_DIFFUSE), (Vec4{0.25f, 0.5f, 0.75f, 1.0f})) << face;
    EXPECT_EQ(Material(face, GL_SPECULAR), (Vec4{0.2f, 0.2f, 0.2f, 1.0f})) << face;
  }
}

}  // namespace
