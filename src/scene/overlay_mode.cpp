// Ekrana2BCizimyap, Fade and FadeBeyaz: the 2D set-up and the rectangles drawn in it.
#include <GL/gl.h>

#include "models/font.h"
#include "scene/overlays.h"
#include "scene/scene.h"

// The overlays switch to 2D exactly as the font does.
void Ekrana2BCizimyap(int mode, int width, int height) { font.Ekrana2BCizimyap(mode, width, height); }

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
