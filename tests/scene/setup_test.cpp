#include <GL/gl.h>
#include <gtest/gtest.h>

#include "models/font.h"
#include "scene/setup.h"
#include "support/gl_context.h"

namespace {

GLint MinFilterOf(GLuint texture) {
  glBindTexture(GL_TEXTURE_2D, texture);
  GLint value = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
  return value;
}

TEST(SceneSetUp, BuildsThreeTexturesTheFontListsAndClearsThePositions) {
  std::string why;
  ASSERT_TRUE(testsupport::EnsureGLContext(&why)) << why;
  setvec3d(&apos, 1, 2, 3);
  setvec3d(&kpos, 4, 5, 6);

  ASSERT_TRUE(Sahneinit());

  EXPECT_EQ(0.0f, apos.x);
  EXPECT_EQ(0.0f, apos.y);
  EXPECT_EQ(0.0f, apos.z);
  EXPECT_EQ(0.0f, kpos.x);
  EXPECT_EQ(0.0f, kpos.y);
  EXPECT_EQ(0.0f, kpos.z);

  // The font's texture is made last and stays bound.
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(GLint(font.texture), bound);

  EXPECT_NE(metald, lava2d);
  EXPECT_NE(metald, font.texture);
  EXPECT_NE(lava2d, font.texture);
  for (GLuint name : {metald, lava2d, font.texture}) {
    EXPECT_TRUE(glIsTexture(name)) << name;
    glBindTexture(GL_TEXTURE_2D, name);
    GLint width = 0, smallest = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 8, GL_TEXTURE_WIDTH, &smallest);
    EXPECT_EQ(256, width) << name;
    EXPECT_EQ(1, smallest) << name;
  }
  EXPECT_EQ(GL_LINEAR_MIPMAP_LINEAR, MinFilterOf(metald));
  EXPECT_EQ(GL_LINEAR_MIPMAP_LINEAR, MinFilterOf(lava2d));
  EXPECT_EQ(GL_LINEAR, MinFilterOf(font.texture));

  ASSERT_NE(0u, font.listBase);
  for (GLuint c = 0; c < 256; ++c) EXPECT_TRUE(glIsList(font.listBase + c)) << c;
  EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}

}  // namespace
