#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "scene/setup.h"
#include "support/gl_context.h"

namespace {

class TexturesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(testsupport::EnsureGLContext(&why)) << why;
  }
};

GLint Parameter(GLenum name) {
  GLint value = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
  return value;
}

GLint LevelWidth(int level) {
  GLint width = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
  return width;
}

std::vector<unsigned char> Image(int size, unsigned char r, unsigned char g, unsigned char b) {
  std::vector<unsigned char> texels;
  for (int i = 0; i < size * size; ++i) texels.insert(texels.end(), {r, g, b});
  return texels;
}

TEST_F(TexturesTest, FilterOneIsTrilinearAnythingElseLinearAndTheChainIsAlwaysBuilt) {
  const auto pixels = Image(8, 10, 200, 30);
  for (unsigned long filter : {0ul, 1ul, 2ul}) {
    SCOPED_TRACE(::testing::Message() << "filter " << filter);
    GLuint name = 0;
    Dokuyukle(name, pixels.data(), 8, 8, filter);
    ASSERT_NE(0u, name);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLint(name), bound);
    EXPECT_EQ(filter == 1 ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR, Parameter(GL_TEXTURE_MIN_FILTER));
    EXPECT_EQ(GL_LINEAR, Parameter(GL_TEXTURE_MAG_FILTER));
    EXPECT_EQ(8, LevelWidth(0));
    EXPECT_EQ(4, LevelWidth(1));
    EXPECT_EQ(1, LevelWidth(3));
    std::vector<unsigned char> back(8 * 8 * 3);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, back.data());
    EXPECT_EQ(pixels, back);
  }
  EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}

TEST_F(TexturesTest, NullPixelsDoNothing) {
  GLuint keep = 0;
  glGenTextures(1, &keep);
  glBindTexture(GL_TEXTURE_2D, keep);
  GLuint name = 4242;
  Dokuyukle(name, nullptr, 256, 256, 1);
  EXPECT_EQ(4242u, name);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(GLint(keep), bound);
}

TEST_F(TexturesTest, SphereMapSwitchesOnOnlyForOne) {
  dokusalla(1);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_T));
  GLint mode = 0;
  glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
  EXPECT_EQ(GL_SPHERE_MAP, mode);
  glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &mode);
  EXPECT_EQ(GL_SPHERE_MAP, mode);
  for (int off : {0, 2, -1}) {
    dokusalla(1);
    dokusalla(off);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S)) << off;
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T)) << off;
  }
}

}  // namespace
