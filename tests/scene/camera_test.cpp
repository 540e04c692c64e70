#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "scene/camera.h"
#include "scene/clock.h"
#include "scene/setup.h"
#include "support/gl_context.h"

namespace {

class CameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(testsupport::EnsureGLContext(&why)) << why;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
};

std::array<GLfloat, 16> ViewAt(float t) {
  mytime = t;
  glLoadIdentity();
  Kamera();
  std::array<GLfloat, 16> m;
  glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
  return m;
}

// The drift without any jolt, worked out in double.
std::array<double, 3> Circle(double t) {
  return {50.0 * std::cos(t / 500.0) - 70.0, 50.0 * std::sin(t / 500.0), -300.0};
}

void ExpectPureTranslation(const std::array<GLfloat, 16>& m) {
  const float identity[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(identity[i], m[i]) << "element " << i;
  EXPECT_EQ(1.0f, m[15]);
}

TEST_F(CameraTest, FixedViewUpToFifteenSecondsThenTheCircle) {
  for (float t : {0.0f, 7500.0f, 15000.0f}) {
    const auto m = ViewAt(t);
    ExpectPureTranslation(m);
    EXPECT_EQ(-70.0f, m[12]) << t;
    EXPECT_EQ(0.0f, m[13]) << t;
    EXPECT_EQ(-300.0f, m[14]) << t;
  }
  const auto m = ViewAt(15001.0f);
  ExpectPureTranslation(m);
  const auto c = Circle(15001.0);
  EXPECT_NEAR(c[0], m[12], 1e-3);
  EXPECT_NEAR(c[1], m[13], 1e-3);
  EXPECT_NEAR(c[2], m[14], 1e-3);
  // 15,001 ms lies almost a quarter turn past the start of the circle: the view jumps.
  EXPECT_GT(std::fabs(m[13]), 40.0f);
}

TEST_F(CameraTest, JoltWindowsIncludeBothEndsAndShiftTheWholeOffsetAtOnce) {
  for (float t : {26999.0f, 28001.0f, 30999.0f, 39001.0f, 68499.0f, 69501.0f}) {
    const auto m = ViewAt(t);
    const auto c = Circle(t);
    EXPECT_EQ(0.0f, artikx) << t;
    EXPECT_EQ(0.0f, artiky) << t;
    EXPECT_EQ(0.0f, artikz) << t;
    EXPECT_NEAR(c[0], m[12], 1e-3) << t;
    EXPECT_NEAR(c[1], m[13], 1e-3) << t;
    EXPECT_NEAR(c[2], m[14], 1e-3) << t;
  }
  // Entering at 27 s moves the view by about (53, -15, -60).
  auto m = ViewAt(27000.0f);
  auto c = Circle(27000.0);
  EXPECT_NEAR(52.8, m[12] - c[0], 0.1);
  EXPECT_NEAR(-15.4, m[13] - c[1], 0.1);
  EXPECT_NEAR(-60.5, m[14] - c[2], 0.1);
  m = ViewAt(28000.0f);
  c = Circle(28000.0);
  EXPECT_NEAR(50.0 * std::sin(28.0) + 5.0, m[12] - c[0], 1e-3);
  EXPECT_NEAR(70.0 * std::cos(28.0) + 5.0, m[13] - c[1], 1e-3);
  EXPECT_NEAR(20.0 * std::tan(28.0) + 5.0, m[14] - c[2], 1e-3);

  // Each window has its own shift in x and y; z always adds 5.
  const struct {
    float t;
    double shift;
  } windows[] = {{31500, 7}, {34500, 5}, {38500, 9}, {68500, 5}, {27000 + 2 * 41500, 5}, {38000 + 4 * 41500, 9}};
  for (const auto& w : windows) {
    ViewAt(w.t);
    const double u = w.t / 1000.0;
    EXPECT_NEAR(50.0 * std::sin(u) + w.shift, artikx, 1e-3) << w.t;
    EXPECT_NEAR(70.0 * std::cos(u) + w.shift, artiky, 1e-3) << w.t;
    EXPECT_NEAR(20.0 * std::tan(u) + 5.0, artikz, 1e-2) << w.t;
  }
}

TEST_F(CameraTest, JoltsFallOnlyInTheFiveWindowsOfTheRunAndStayFinite) {
  struct Window {
    float from, to;
    float zmin, zmax;  // the range of the z jolt inside it
  };
  const Window windows[] = {{27000, 28000, -60.5f, -0.6f},
                            {31000, 32000, -3.8f, 18.2f},
                            {34000, 35000, -7.5f, 14.5f},
                            {38000, 39000, 11.2f, 77.3f},
                            {68500, 69500, -9.1f, 13.1f}};
  for (int t = 0; t <= 70001; ++t) {
    mytime = static_cast<float>(t);
    glLoadIdentity();
    Kamera();
    const Window* inside = nullptr;
    for (const Window& w : windows)
      if (w.from <= t && t <= w.to) inside = &w;
    if (!inside) {
      ASSERT_EQ(0.0f, artikx) << t;
      ASSERT_EQ(0.0f, artiky) << t;
      ASSERT_EQ(0.0f, artikz) << t;
      continue;
    }
    ASSERT_TRUE(std::isfinite(artikx) && std::isfinite(artiky) && std::isfinite(artikz)) << t;
    ASSERT_GE(artikz, inside->zmin - 0.1f) << t;
    ASSERT_LE(artikz, inside->zmax + 0.1f) << t;
    ASSERT_NE(0.0f, artikx) << t;
  }
}

TEST_F(CameraTest, EqualClockGivesEqualMatricesAndTheStackStaysPut) {
  GLint depth = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
  for (float t : {3000.0f, 20000.0f, 27500.0f, 50000.0f, 68900.0f}) {
    const auto first = ViewAt(t);
    ViewAt(t + 777.0f);
    const auto again = ViewAt(t);
    EXPECT_EQ(0, std::memcmp(first.data(), again.data(), sizeof(GLfloat) * 16)) << t;
    ExpectPureTranslation(again);
  }
  GLint after = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &after);
  EXPECT_EQ(depth, after);
}

TEST_F(CameraTest, TheBasePositionIsSubtracted) {
  const auto plain = ViewAt(20000.0f);
  setvec3d(&kpos, 1.0f, 2.0f, 3.0f);
  const auto moved = ViewAt(20000.0f);
  vec3d(&kpos);
  EXPECT_NEAR(plain[12] - 1.0f, moved[12], 1e-4);
  EXPECT_NEAR(plain[13] - 2.0f, moved[13], 1e-4);
  EXPECT_NEAR(plain[14] - 3.0f, moved[14], 1e-4);
}

}  // namespace
