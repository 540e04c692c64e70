// ArkaKutu: the walls around the scene. The boxes and the room are big enough to enclose the
// viewpoint, so what we see are their inner faces.
#include <GL/gl.h>

#include "models/modeller.h"
#include "scene/box_effects.h"
#include "scene/wave.h"
#include "scene/scene.h"

namespace {

// The last two forms lay two copies of one box over each other: the second adds onto the first.
void BlendAdditive() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
}

// The final background: lava box and lava room, the same for every caller.
void FinalBackdrop() {
  glColor3f(1.0f, 1.0f, 1.0f);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, lava2d);
  Kutu(0.0f, 0.0f, 0.0f, 0.0f, 2.0f, 2.0f, 2.0f, false, 0.0f, false);
  Oda(0.0f, 0.0f, 0.0f, 0.0f, 3.5f, 3.5f, 3.5f, false, 0.0f, false);
}

// Logo box, an additive lava glow box half as big again, and the room, all about the origin.
// A tint we do not know leaves the colour as the previous drawing set it.
void RoomBackdrop(float scale, unsigned long tint, bool inset) {
  switch (tint) {
    case 0: glColor3f(1.0f, 0.0f, 0.0f); break;
    case 1: glColor3f(0.0f, 0.0f, 1.0f); break;
    case 2: glColor3f(0.0f, 1.0f, 0.0f); break;
    default: break;
  }
  const float angle = SinWave(360.0f, mytime / 5000.0f);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, metald);
  if (inset) {
    Oda(0.0f, 0.0f, 0.0f, angle, 1.0f, 1.0f, 1.0f, false, 0.0f, false);
    return;
  }
  Kutu(0.0f, 0.0f, 0.0f, 0.0f, scale, scale, scale, false, 0.0f, false);
  BlendAdditive();
  dokusalla(1);
  glColor3f(1.0f, 1.0f, 1.0f);
  glBindTexture(GL_TEXTURE_2D, lava2d);
  const float glow = 1.5f * scale;
  Kutu(0.0f, 0.0f, 0.0f, 0.0f, glow, glow, glow, false, 0.0f, false);
  dokusalla(0);
  glDisable(GL_BLEND);
  // The room keeps lava2d and white, and its own texture coordinates.
  Oda(0.0f, 0.0f, 0.0f, angle, scale, scale, scale, false, 0.0f, false);
}

// Three boxes turning together: logo, lava added on top at the same size, and a smaller
// sphere-mapped cyan lava layer inside.
void SpinningBackdrop(float scale, unsigned long tint) {
  switch (tint) {
    case 1: glColor3f(1.0f, 1.0f, 0.0f); break;
    case 3: glColor3f(0.0f, 1.0f, 1.0f); break;
    default: glColor3f(1.0f, 1.0f, 1.0f); break;
  }
  const float angle = SinWave(360.0f, mytime / 10000.0f);
  const float outer = 1.7f * scale;
  const float inner = 1.6f * scale;
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, metald);
  Kutu(0.0f, 0.0f, 0.0f, angle, outer, outer, outer, false, 0.0f, false);
  BlendAdditive();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, lava2d);
  Kutu(0.0f, 0.0f, 0.0f, angle, outer, outer, outer, false, 0.0f, false);
  dokusalla(1);
  glColor3f(0.0f, 1.0f, 1.0f);
  glBindTexture(GL_TEXTURE_2D, lava2d);
  Kutu(0.0f, 0.0f, 0.0f, angle, inner, inner, inner, false, 0.0f, false);
  dokusalla(0);
  glDisable(GL_BLEND);
}

}  // namespace

void ArkaKutu(bool roomVariant, float scale, unsigned long tint, bool finalVariant, bool inset) {
  if (finalVariant) {
    FinalBackdrop();
  } else if (roomVariant) {
    RoomBackdrop(scale, tint, inset);
  } else {
    SpinningBackdrop(scale, tint);
  }
}
