// The box effects: where they place their geometry and what render state they leave behind.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "models/modeller.h"
#include "scene/box_effects.h"
#include "scene/scene.h"
#include "support/gl_context.h"
#include "timeline/scene_fixture.h"

namespace {

using timeline_test::Capture;
using timeline_test::CurrentColour;
using timeline_test::FindAll;
using timeline_test::IsEnabled;
using timeline_test::Primitives;
using timeline_test::SetClock;

Primitives BoxAt(float x, float y, float z, float angle, float scale) {
  return Capture([&] { Kutu(x, y, z, angle, scale, scale, scale, false, 0.0f, false); });
}

Primitives CardAt(float halfWidth, float halfHeight, float x, float y, float z) {
  return Capture([&] {
    glPushMatrix();
    glTranslatef(x, y, z);
    glBegin(GL_QUADS);
    glVertex3f(halfWidth, halfHeight, 0.0f);
    glVertex3f(halfWidth, -halfHeight, 0.0f);
    glVertex3f(-halfWidth, -halfHeight, 0.0f);
    glVertex3f(-halfWidth, halfHeight, 0.0f);
    glEnd();
    glPopMatrix();
  });
}

void ExpectColour(const std::array<float, 4>& c, float r, float g, float b) {
  EXPECT_NEAR(c[0], r, 1e-6f);
  EXPECT_NEAR(c[1], g, 1e-6f);
  EXPECT_NEAR(c[2], b, 1e-6f);
}

TEST(FallingBox, FallsOneUnitEvery15msFrom300At7200) {
  REQUIRE_SCENE();
  timeline_test::UseWideOrtho();
  const struct {
    float t, y;
  } poses[] = {{7200.0f, 300.0f}, {7500.0f, 280.0f}, {15000.0f, -220.0f}};
  for (const auto& pose : poses) {
    SetClock(pose.t);
    const Primitives drawn = Capture([] { ReklamGel(0); });
    const float angle = pose.t / 100.0f;
    // Lava, then the glowing logo slightly larger; both with culling off.
    const auto lava = FindAll(drawn, BoxAt(90.0f, pose.y, -250.0f, angle, 0.1f));
    const auto logo = FindAll(drawn, BoxAt(90.0f, pose.y, -250.0f, angle, 0.101f));
    ASSERT_EQ(lava.size(), 1u) << "t = " << pose.t;
    ASSERT_EQ(logo.size(), 1u) << "t = " << pose.t;
    EXPECT_EQ(lava[0], 0u);
    EXPECT_LT(lava[0], logo[0]);
    EXPECT_EQ(FindAll(drawn, BoxAt(90.0f, pose.y + 1.0f, -250.0f, angle, 0.1f)).size(), 0u);
  }
}

TEST(FallingBox, RedRimShowsOnlyBackFacesAndStateEndsUnculledTexturedWhite) {
  REQUIRE_SCENE();
  timeline_test::UseWideOrtho();
  SetClock(9000.0f);
  glEnable(GL_CULL_FACE);
  glColor3f(0.3f, 0.3f, 0.3f);
  const Primitives drawn = Capture([] { ReklamGel(2); });
  EXPECT_FALSE(IsEnabled(GL_CULL_FACE));
  EXPECT_TRUE(IsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(IsEnabled(GL_BLEND));
  ExpectColour(CurrentColour(), 1.0f, 1.0f, 1.0f);

  glEnable(GL_CULL_FACE);
  glCullFace(GL_FRONT);
  const Primitives rim = Capture([] { Kutu(90.0f, 180.0f, -250.0f, 90.0f, 0.102f, 0.102f, 0.102f, false, 0.0f, false); });
  glDisable(GL_CULL_FACE);
  const Primitives wholeRim = BoxAt(90.0f, 180.0f, -250.0f, 90.0f, 0.102f);
  ASSERT_FALSE(rim.empty());
  EXPECT_LT(rim.size(), wholeRim.size());
  const auto at = FindAll(drawn, rim);
  ASSERT_EQ(at.size(), 1u);
  EXPECT_EQ(at[0] + rim.size(), drawn.size()) << "the rim is the last layer";
  EXPECT_TRUE(FindAll(drawn, wholeRim).empty());
}

TEST(FallingBox, TintSelectsTheFirstLayersColour) {
  REQUIRE_SCENE();
  timeline_test::UseWideOrtho();
  SetClock(9000.0f);
  glDisable(GL_LIGHTING);  // feedback colours are then the current colour itself
  const struct {
    unsigned long tint;
    float r, g, b;
  } cases[] = {{0, 1, 1, 1}, {1, 1, 0, 1}, {2, 0, 1, 1}, {3, 1, 1, 0}, {7, 1, 1, 1}};
  for (const auto& c : cases) {
    // ReklamGel switches lighting back on only through other effects; keep it off here.
    const Primitives drawn = Capture([&] { ReklamGel(c.tint); });
    ASSERT_FALSE(drawn.empty());
    const auto& v = drawn.front().vertices.front();
    EXPECT_NEAR(v.r, c.r, 1e-3f) << "tint " << c.tint;
    EXPECT_NEAR(v.g, c.g, 1e-3f) << "tint " << c.tint;
    EXPECT_NEAR(v.b, c.b, 1e-3f) << "tint " << c.tint;
  }
}

TEST(LogoCard, GrowsOneUnitPerSecondAndDriftsOnlyWhenMoving) {
  REQUIRE_SCENE();
  timeline_test::UseWideOrtho();
  SetClock(0.0f);
  const Primitives start = CardAt(25.0f, 10.0f, 70.0f, 0.0f, -200.0f);
  EXPECT_EQ(FindAll(Capture([] { MinikKutular(0, true); }), start).size(), 1u);
  EXPECT_EQ(FindAll(Capture([] { MinikKutular(0, false); }), start).size(), 1u);

  SetClock(7500.0f);
  EXPECT_EQ(FindAll(Capture([] { MinikKutular(0, true); }), CardAt(32.5f, 17.5f, 70.0f, 0.0f, 300.0f)).size(), 1u);
  EXPECT_EQ(FindAll(Capture([] { MinikKutular(0, false); }), CardAt(32.5f, 17.5f, 70.0f, 0.0f, -200.0f)).size(),
            1u);
}

TEST(LogoCard, IsUnlitGlowWhileDrawingAndLeavesLightingOnBlendingOff) {
  REQUIRE_SCENE();
  timeline_test::UseWideOrtho();
  SetClock(1000.0f);
  const Primitives drawn = Capture([] { MinikKutular(2, true); });
  ASSERT_EQ(drawn.empty(), false);
  // Unlit: the feedback colour is the tint itself (magenta for 2), not a lit material.
  const auto& v = drawn.front().vertices.front();
  EXPECT_NEAR(v.r, 1.0f, 1e-3f);
  EXPECT_NEAR(v.g, 0.0f, 1e-3f);
  EXPECT_NEAR(v.b, 1.0f, 1e-3f);
  EXPECT_NEAR(v.s + v.t, 2.0f, 1e-6f) << "first corner at texture (1, 1)";
  EXPECT_TRUE(IsEnabled(GL_LIGHTING));
  EXPECT_FALSE(IsEnabled(GL_BLEND));
  EXPECT_TRUE(IsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(static_cast<GLuint>(timeline_test::GetInt(GL_TEXTURE_BINDING_2D)), metald);
}

TEST(BoxField, PlacesTenColumnsAndSwaysWithItsDivisor) {
  REQUIRE_SCENE();
  timeline_test::UseWideOrtho();
  glEnable(GL_TEXTURE_2D);
  const float t = 20000.0f;
  SetClock(t);
  // Not fixed: the divisor is five times the period.
  const Primitives drawn = Capture([] { KutularCiz(3.0f, 100.0f, false, false, 0.0f, false); });
  EXPECT_FLOAT_EQ(bols[0], 500.0f);
  const float swayX = static_cast<float>(10.0 * std::cos(t / 500.0));
  const float swayY = static_cast<float>(11.0 * std::sin(t / 500.0));
  // Box 0 stands still in z and never turns; box 99 tops the last column.
  EXPECT_EQ(FindAll(drawn, BoxAt(-100.0f + swayX, -90.0f + swayY, -200.0f, 0.0f, 0.011f)).size(), 2u);
  const float swing = static_cast<float>(90.0 * std::sin(t / 100.0));
  EXPECT_EQ(FindAll(drawn, BoxAt(170.0f + swayX, 45.0f + swayY, 70.0f + swing, swing, 0.011f)).size(), 2u);
  // Box 37: fourth column, eighth from the bottom (c = 7).
  const float swing37 = static_cast<float>(70.0 * std::sin(t / 100.0));
  EXPECT_EQ(FindAll(drawn, BoxAt(111.0f - 100.0f - 21.0f + swayX, 105.0f - 90.0f + swayY,
                                 111.0f - 200.0f - 21.0f + swing37, swing37, 0.011f))
                .size(),
            2u);

  // Fixed: the divisor is 1000 whatever the period.
  SetClock(t);
  const Primitives fixed = Capture([] { KutularCiz(4.0f, 250.0f, true, false, 0.0f, false); });
  EXPECT_FLOAT_EQ(bols[0], 1000.0f);
  const float fx = static_cast<float>(10.0 * std::cos(t / 1000.0));
  const float fy = static_cast<float>(11.0 * std::sin(t / 1000.0));
  EXPECT_EQ(FindAll(fixed, BoxAt(-100.0f + fx, -90.0f + fy, -200.0f, 0.0f, 0.011f)).size(), 2u);
}

TEST(BoxField, LeavesCullingOffTexturingOffColourRedLogoBound) {
  REQUIRE_SCENE();
  SetClock(40000.0f);
  glEnable(GL_TEXTURE_2D);
  glColor3f(0.5f, 0.5f, 0.5f);
  KutularCiz(4.0f, 150.0f, true, false, 0.0f, false);
  EXPECT_FALSE(IsEnabled(GL_CULL_FACE));
  EXPECT_FALSE(IsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(IsEnabled(GL_BLEND));
  EXPECT_FALSE(IsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_FALSE(IsEnabled(GL_TEXTURE_GEN_T));
  EXPECT_EQ(timeline_test::GetInt(GL_CULL_FACE_MODE), GL_FRONT);
  EXPECT_EQ(timeline_test::GetInt(GL_BLEND_SRC), GL_SRC_COLOR);
  EXPECT_EQ(timeline_test::GetInt(GL_BLEND_DST), GL_ONE);
  EXPECT_EQ(static_cast<GLuint>(timeline_test::GetInt(GL_TEXTURE_BINDING_2D)), metald);
  ExpectColour(CurrentColour(), 1.0f, 0.0f, 0.0f);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(BoxField, FirstPassIsSphereMappedSecondUsesTheBoxesOwnCoordinates) {
  REQUIRE_SCENE();
  timeline_test::UseWideOrtho();
  glEnable(GL_TEXTURE_2D);
  SetClock(36000.0f);
  const Primitives drawn = Capture([] { KutularCiz(4.0f, 110.0f, true, false, 0.0f, false); });
  // 100 boxes of 12 triangles in each of the two full passes, then the culled rims.
  ASSERT_GT(drawn.size(), 2400u);
  auto ownCoordinates = [](const timeline_test::Primitive& p) {
    for (const auto& v : p.vertices) {
      if ((v.s != 0.0f && v.s != 1.0f) || (v.t != 0.0f && v.t != 1.0f)) return false;
    }
    return true;
  };
  size_t generated = 0;
  for (size_t i = 0; i < 1200; ++i) generated += ownCoordinates(drawn[i]) ? 0 : 1;
  size_t own = 0;
  for (size_t i = 1200; i < 2400; ++i) own += ownCoordinates(drawn[i]) ? 1 : 0;
  EXPECT_GT(generated, 600u);
  EXPECT_EQ(own, 1200u);
}

TEST(InBetweenBoxes, SixBoxesInPairsLavaBoundAndOwnCoordinatesLast) {
  REQUIRE_SCENE();
  timeline_test::UseWideOrtho();
  const float t = 41000.0f;
  SetClock(t);
  const Primitives drawn = Capture([] { AraKutular(false, 0.0f, true); });
  const double u = t / 100.0;
  const float sx = static_cast<float>(10.0 * std::cos(u));
  const float sy = static_cast<float>(11.0 * std::sin(u));
  const float su = static_cast<float>(std::sin(u));
  const float turn = static_cast<float>(360.0 * std::sin(t / 1000.0));
  const struct {
    float x, y, dz, angle;
  } boxes[] = {{-100, 170, -200, turn}, {-100, -170, 200, turn}, {300, 170, 250, turn},
               {300, -170, -250, turn}, {50, 170, 150, -turn},   {50, -170, -150, -turn}};
  size_t last = 0;
  for (size_t i = 0; i < 6; ++i) {
    const auto at = FindAll(drawn, BoxAt(boxes[i].x + sx, boxes[i].y + sy, -150.0f + boxes[i].dz * su, boxes[i].angle, 0.03f));
    ASSERT_EQ(at.size(), 1u) << "box " << i + 1;
    if (i > 0) {
      EXPECT_GT(at[0], last);
    }
    last = at[0];
  }
  EXPECT_TRUE(IsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(IsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_EQ(static_cast<GLuint>(timeline_test::GetInt(GL_TEXTURE_BINDING_2D)), lava2d);
}

TEST(Backdrop, RoomVariantWithUnknownTintKeepsTheColourItFinds) {
  REQUIRE_SCENE();
  SetClock(3000.0f);
  const struct {
    unsigned long tint;
    float r, g, b;
  } cases[] = {{0, 1, 0, 0}, {1, 0, 0, 1}, {2, 0, 1, 0}, {3, 0.25f, 0.5f, 0.75f}, {9, 0.25f, 0.5f, 0.75f}};
  for (const auto& c : cases) {
    glColor3f(0.25f, 0.5f, 0.75f);
    ArkaKutu(true, 2.0f, c.tint, false, true);
    SCOPED_TRACE(c.tint);
    ExpectColour(CurrentColour(), c.r, c.g, c.b);
    EXPECT_EQ(static_cast<GLuint>(timeline_test::GetInt(GL_TEXTURE_BINDING_2D)), metald);
  }
  // The main view's room variant ends in white with lava bound, sphere mapping and blending off.
  glColor3f(0.25f, 0.5f, 0.75f);
  ArkaKutu(true, 2.0f, 3, false, false);
  ExpectColour(CurrentColour(), 1.0f, 1.0f, 1.0f);
  EXPECT_EQ(static_cast<GLuint>(timeline_test::GetInt(GL_TEXTURE_BINDING_2D)), lava2d);
  EXPECT_FALSE(IsEnabled(GL_BLEND));
  EXPECT_FALSE(IsEnabled(GL_TEXTURE_GEN_S));
}

TEST(Backdrop, FinalVariantIgnoresItsOtherParameters) {
  REQUIRE_SCENE();
  timeline_test::UseWideOrtho();
  SetClock(62000.0f);
  const Primitives reference = Capture([] { ArkaKutu(true, 1.0f, 0, true, false); });
  ASSERT_FALSE(reference.empty());
  const Primitives other = Capture([] { ArkaKutu(false, 3.0f, 2, true, true); });
  ASSERT_EQ(FindAll(other, reference).size(), 1u);
  EXPECT_EQ(other.size(), reference.size());
  // The lava box at scale 2, then the room at 3.5.
  EXPECT_EQ(FindAll(reference, BoxAt(0.0f, 0.0f, 0.0f, 0.0f, 2.0f)), std::vector<size_t>{0});
  const Primitives room = Capture([] { Oda(0.0f, 0.0f, 0.0f, 0.0f, 3.5f, 3.5f, 3.5f, false, 0.0f, false); });
  EXPECT_EQ(FindAll(reference, room).size(), 1u);
}

TEST(Backdrop, SpinningBoxesTurnTogetherAndEndCyanWithoutBlending) {
  REQUIRE_SCENE();
  timeline_test::UseWideOrtho();
  const float t = 25000.0f;
  SetClock(t);
  const Primitives drawn = Capture([] { ArkaKutu(false, 1.0f, 0, false, false); });
  const float a = static_cast<float>(360.0 * std::sin(t / 10000.0));
  EXPECT_EQ(FindAll(drawn, BoxAt(0.0f, 0.0f, 0.0f, a, 1.7f)), (std::vector<size_t>{0, 12}));
  EXPECT_EQ(FindAll(drawn, BoxAt(0.0f, 0.0f, 0.0f, a, 1.6f)), std::vector<size_t>{24});
  EXPECT_EQ(drawn.size(), 36u);
  ExpectColour(CurrentColour(), 0.0f, 1.0f, 1.0f);
  EXPECT_FALSE(IsEnabled(GL_BLEND));
  EXPECT_FALSE(IsEnabled(GL_TEXTURE_GEN_T));
}

// The strip scrolls one texture width per second, so whole seconds show the same picture.
TEST(Strip, WholeSecondsShowTheSameImage) {
  REQUIRE_SCENE();
  auto render = [](float t) {
    SetClock(t);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1024, 0, 768, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    Kutuciz2d(lava2d, 768, 100.0f, 100.0f, 800.0f, 500.0f);
    std::vector<std::array<int, 4>> samples;
    for (int y = 200; y < 520; y += 23) {
      for (int x = 100; x < 700; x += 31) samples.push_back(testsupport::ReadPixel(x, y));
    }
    return samples;
  };
  const auto atZero = render(0.0f);
  for (float t : {1000.0f, 7000.0f, 64000.0f}) {
    const auto later = render(t);
    int worst = 0;
    for (size_t i = 0; i < atZero.size(); ++i) {
      for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(atZero[i][c] - later[i][c]));
    }
    EXPECT_LE(worst, 12) << "t = " << t;
  }
  const auto half = render(500.0f);
  int differing = 0;
  for (size_t i = 0; i < atZero.size(); ++i) {
    int change = 0;
    for (int c = 0; c < 3; ++c) change = std::max(change, std::abs(atZero[i][c] - half[i][c]));
    differing += change > 24 ? 1 : 0;
  }
  EXPECT_GT(differing, static_cast<int>(atZero.size() / 10)) << "half a second must show a shifted picture";
}

}  // namespace
