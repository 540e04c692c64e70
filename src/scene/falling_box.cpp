// ReklamGel: a small box that falls through the view, drawn as lava, glowing logo and red rim.
#include <GL/gl.h>

#include "models/modeller.h"
#include "scene/box_effects.h"
#include "scene/scene.h"

void ReklamGel(unsigned long tint) {
  static float aci;
  static float asagi;

  switch (tint) {
    case 1: glColor3f(1.0f, 0.0f, 1.0f); break;
    case 2: glColor3f(0.0f, 1.0f, 1.0f); break;
    case 3: glColor3f(1.0f, 1.0f, 0.0f); break;
    default: glColor3f(1.0f, 1.0f, 1.0f); break;
  }
  // One unit down every 15 ms from 7.2 s on, ten degrees of turn per second.
  aci = mytime / 100.0f;
  asagi = (mytime - 7200.0f) / 15.0f;
  const float x = 90.0f;
  const float y = 300.0f - asagi;
  const float z = -250.0f;

  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, lava2d);
  Kutu(x, y, z, aci, 0.1f, 0.1f, 0.1f, false, 0.0f, false);

  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, metald);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  Kutu(x, y, z, aci, 0.101f, 0.101f, 0.101f, false, 0.0f, false);

  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_FRONT);
  glColor3f(1.0f, 0.0f, 0.0f);
  Kutu(x, y, z, aci, 0.102f, 0.102f, 0.102f, false, 0.0f, false);

  glEnable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);
  glDisable(GL_BLEND);
  glColor3f(1.0f, 1.0f, 1.0f);
}
