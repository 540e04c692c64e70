// KutularCiz and AraKutular: the field of a hundred boxes and the six boxes that swing through it.
#include <GL/gl.h>

#include "models/modeller.h"
#include "scene/box_effects.h"
#include "scene/wave.h"
#include "scene/scene.h"

float bols[8];

namespace {

constexpr int kFieldBoxes = 100;
constexpr int kColumnHeight = 10;

// One pass over the field at box scale k. Placement is the same in every pass, so the three
// layers of each box lie exactly on each other.
void DrawField(float spacing, float swingPeriod, float k, bool scatter, float scatterAmount,
               bool colourFromNormals) {
  const float swayX = CosWave(10.0f, mytime / bols[0]);
  const float swayY = SinWave(11.0f, mytime / bols[0]);
  for (int i = 0; i < kFieldBoxes; ++i) {
    const int c = i % kColumnHeight;
    const float along = spacing * static_cast<float>(i % kFieldBoxes);
    const float lift = spacing * static_cast<float>(c);
    setvec3d(&apos, along - 100.0f - lift, 5.0f * lift - 90.0f, along - 200.0f - lift);
    // The higher a box stands in its column, the wider it swings and turns.
    const float swing = SinWave(10.0f * static_cast<float>(c), mytime / swingPeriod);
    Kutu(apos.x + swayX, apos.y + swayY, apos.z + swing, swing, k, k, k, scatter, scatterAmount,
         colourFromNormals);
  }
}

}  // namespace

void KutularCiz(float spacing, float swingPeriod, bool fixedSwayPeriod, bool scatter, float scatterAmount,
                bool colourFromNormals) {
  bols[0] = fixedSwayPeriod ? 1000.0f : 5.0f * swingPeriod;

  // Sphere-mapped lava; texturing and blending are as the caller left them.
  glColor3f(1.0f, 1.0f, 1.0f);
  dokusalla(1);
  glBindTexture(GL_TEXTURE_2D, lava2d);
  DrawField(spacing, swingPeriod, 0.011f, scatter, scatterAmount, colourFromNormals);

  // The logo added on top with the boxes' own texture coordinates.
  dokusalla(0);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, metald);
  glColor3f(1.0f, 1.0f, 1.0f);
  DrawField(spacing, swingPeriod, 0.011f, scatter, scatterAmount, colourFromNormals);

  // A slightly larger red shell showing only its back faces: the glow around each box.
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_FRONT);
  glColor3f(1.0f, 0.0f, 0.0f);
  DrawField(spacing, swingPeriod, 0.012f, scatter, scatterAmount, colourFromNormals);

  // Texturing stays off, metald bound and the colour red: the next drawing starts from there.
  glDisable(GL_CULL_FACE);
  glDisable(GL_BLEND);
}

void AraKutular(bool scatter, float scatterAmount, bool colourFromNormals) {
  dokusalla(1);
  glColor3f(1.0f, 1.0f, 1.0f);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, lava2d);

  const float u = mytime / 100.0f;
  const float turn = SinWave(360.0f, mytime / 1000.0f);
  const float swayX = CosWave(10.0f, u);
  const float swayY = SinWave(11.0f, u);
  const float s = 0.03f;
  auto box = [&](float y, float depthSwing, float angle) {
    setvec3d(&apos, apos.x, y, apos.z);
    Kutu(apos.x, apos.y, apos.z + SinWave(depthSwing, u), angle, s, s, s, scatter, scatterAmount,
         colourFromNormals);
  };

  // Each pair shares x and the depth centre; the upper and lower box swing in opposite senses.
  setvec3d(&apos, -100.0f + swayX, 0.0f, -150.0f);
  box(170.0f + swayY, -200.0f, turn);
  box(-170.0f + swayY, 200.0f, turn);
  setvec3d(&apos, 300.0f + swayX, 0.0f, -150.0f);
  box(170.0f + swayY, 250.0f, turn);
  box(-170.0f + swayY, -250.0f, turn);

  // The middle pair shows the boxes' own texture coordinates and turns the other way.
  dokusalla(0);
  setvec3d(&apos, 50.0f + swayX, 0.0f, -150.0f);
  box(170.0f + swayY, 150.0f, -turn);
  box(-170.0f + swayY, -150.0f, -turn);
}
