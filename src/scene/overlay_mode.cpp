// Ekrana2BCizimyap, Fade and FadeBeyaz: the 2D set-up and the rectangles drawn in it.
#include <GL/gl.h>

#include "scene/overlays.h"
#include "scene/scene.h"

void Ekrana2BCizimyap(int mode, int width, int height) {
  if (mode == 1) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glOrtho(0.0, width, 0.0, height, -10.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
  } else if (mode == 0) {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
  }
}

void Fade(int screenHeight, float x, float y, float width, float height) {
  glDisable(GL_TEXTURE_2D);
  glPushMatrix();
  const float top = static_cast<float>(screenHeight) - y;
  const float bottom = top - height;
  glBegin(GL_QUADS);
  glVertex3f(x, top, 0.0f);
  glVertex3f(x + width, top, 0.0f);
  glVertex3f(x + width, bottom, 0.0f);
  glVertex3f(x, bottom, 0.0f);
  glEnd();
  glPopMatrix();
  glEnable(GL_TEXTURE_2D);
}

void FadeBeyaz(float start, float end) {
  static float karar;
  static float sifir;
  if (!zaman(start, end)) return;
  // Rises from 0.3 at the start to 1.0 at 300 ms before the end, then holds.
  karar = static_cast<float>((end - mytime) / 1000.0 - 0.3);
  sifir = (1.0f - karar > 0.0f) ? 1.0f - karar : 0.0f;
  if (sifir >= 1.0f) sifir = 1.0f;
  glColor3f(sifir, sifir, sifir);
  Fade(768, 0.0f, 0.0f, 1024.0f, 768.0f);
}
