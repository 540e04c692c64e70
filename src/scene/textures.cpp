#include <GL/glu.h>

#include "scene/setup.h"

GLuint metald = 0;
GLuint lava2d = 0;

void Dokuyukle(GLuint& texture, const unsigned char* pixels, int width, int height, unsigned long filter) {
  if (!pixels) return;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  // The chain is built either way; with plain linear minification only the base level is sampled.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter == 1 ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
}

void dokusalla(int on) {
  if (on == 1) {
    glTexGenf(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGenf(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
  } else {
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
  }
}
