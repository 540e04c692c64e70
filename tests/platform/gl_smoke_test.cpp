#include <GL/gl.h>
#include <gtest/gtest.h>

#include "support/gl_context.h"

TEST(GLSurface, ClearsAndReadsBack) {
  std::string why;
  ASSERT_TRUE(testsupport::EnsureGLContext(&why)) << why;
  glViewport(0, 0, 800, 600);
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  const auto pixel = testsupport::ReadPixel(400, 300);
  EXPECT_EQ(pixel[0], 255);
  EXPECT_EQ(pixel[1], 0);
  EXPECT_EQ(pixel[2], 0);
  GLint depth = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depth);
  EXPECT_GE(depth, 16);
}
