// The demo's own start-up, up to its first frame: the scene's textures and font exist and the
// font's texture is the one bound when the first frame begins.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "models/font.h"
#include "platform/platform.h"
#include "scene/setup.h"
#include "shell/main_loop.h"
#include "shell/shell.h"
#include "sound/output.h"
#include "shell/window.h"

namespace {

TEST(FirstFrame, StartsWithTheSceneBuilt) {
  setvec3d(&apos, 7, 7, 7);
  ASSERT_TRUE(Olustur(800, 600, 16));
  platform::Event event;
  while (platform::PollEvent(&event)) {
  }

  EXPECT_TRUE(glIsTexture(metald));
  EXPECT_TRUE(glIsTexture(lava2d));
  EXPECT_TRUE(glIsTexture(font.texture));
  EXPECT_NE(metald, lava2d);
  EXPECT_TRUE(glIsList(font.listBase));
  EXPECT_TRUE(glIsList(font.listBase + 255));
  EXPECT_EQ(0.0f, apos.x);

  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(GLint(font.texture), bound);
  DrawFrame();
  // The light and material were in place before the set-up, and the set-up kept them.
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
  EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
  // The set-up started the song; stop its feeder as the shell does after its loop.
  MUSIC_StopSong(mod);
  AUDIO_Close();
  DestroyWindow();
}

}  // namespace
