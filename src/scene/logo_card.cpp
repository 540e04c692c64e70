// MinikKutular with its quad Kutuciz, and the overlay strip Kutuciz2d.
#include <GL/gl.h>

#include "scene/box_effects.h"
#include "scene/scene.h"

void MinikKutular(unsigned long tint, bool moving) {
  static float gelgit;

  // Unlit and glowing: the card adds its colour onto whatever lies behind it.
  glDisable(GL_LIGHTING);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  switch (tint) {
    case 1: glColor3f(0.0f, 1.0f, 1.0f); break;
    case 2: glColor3f(1.0f, 0.0f, 1.0f); break;
    case 3: glColor3f(1.0f, 1.0f, 0.0f); break;
    default: glColor3f(1.0f, 1.0f, 1.0f); break;
  }
  // Growing by one unit a second; while moving, one unit nearer every 15 ms.
  gelgit = moving ? mytime / 15.0f : 0.0f;
  const float grow = mytime / 1000.0f;
  Kutuciz(metald, grow + 25.0f, grow + 10.0f, 70.0f, 0.0f, gelgit - 200.0f);
  glEnable(GL_LIGHTING);
  glDisable(GL_BLEND);
}

void Kutuciz(GLuint texture, float halfWidth, float halfHeight, float x, float y, float z) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glPushMatrix();
  glTranslatef(x, y, z);
  glBegin(GL_QUADS);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(halfWidth, halfHeight, 0.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(halfWidth, -halfHeight, 0.0f);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-halfWidth, -halfHeight, 0.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(-halfWidth, halfHeight, 0.0f);
  glEnd();
  glPopMatrix();
}

void Kutuciz2d(GLuint texture, int screenHeight, float x, float y, float width, float height) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glPushMatrix();
  // One texture width per second; the repeat wrap makes the scroll seamless.
  const float u0 = mytime / 1000.0f;
  const float top = static_cast<float>(screenHeight) - y;
  const float bottom = top - height;
  glBegin(GL_QUADS);
  glTexCoord2f(u0, 1.0f);
  glVertex3f(x, top, 0.0f);
  glTexCoord2f(u0 + 1.0f, 1.0f);
  glVertex3f(x + width, top, 0.0f);
  glTexCoord2f(u0 + 1.0f, 0.0f);
  glVertex3f(x + width, bottom, 0.0f);
  glTexCoord2f(u0, 0.0f);
  glVertex3f(x, bottom, 0.0f);
  glEnd();
  glPopMatrix();
}
