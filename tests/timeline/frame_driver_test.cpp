// Sahne_Ciz: which effects draw at the window boundaries, and in which order.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "models/modeller.h"
#include "scene/scene.h"
#include "scene/timeline.h"
#include "timeline/scene_fixture.h"

namespace {

using timeline_test::Capture;
using timeline_test::FindAll;
using timeline_test::Primitives;
using timeline_test::SetClock;

Primitives BoxAt(float x, float y, float z, float angle, float scale) {
  return Capture([&] { Kutu(x, y, z, angle, scale, scale, scale, false, 0.0f, false); });
}

Primitives RoomAt(float y, float angle, float scale) {
  return Capture([&] { Oda(0.0f, y, 0.0f, angle, scale, scale, scale, false, 0.0f, false); });
}

Primitives CardAt(float halfWidth, float halfHeight, float z) {
  return Capture([&] {
    glBegin(GL_QUADS);
    glVertex3f(70.0f + halfWidth, halfHeight, z);
    glVertex3f(70.0f + halfWidth, -halfHeight, z);
    glVertex3f(70.0f - halfWidth, -halfHeight, z);
    glVertex3f(70.0f - halfWidth, halfHeight, z);
    glEnd();
  });
}

// The falling box's lava layer at time t.
Primitives FallingBoxAt(float t) { return BoxAt(90.0f, 300.0f - (t - 7200.0f) / 15.0f, -250.0f, t / 100.0f, 0.1f); }

Primitives Draw(float t, unsigned long tint, bool inset) {
  SetClock(t);
  timeline_test::UseWideOrtho();
  glEnable(GL_TEXTURE_2D);
  return Capture([&] { Sahne_Ciz(tint, inset); });
}

float Sin(double amplitude, double radians) { return static_cast<float>(amplitude * std::sin(radians)); }
float Cos(double amplitude, double radians) { return static_cast<float>(amplitude * std::cos(radians)); }

// Box 99 of the main field (spacing 4): the top of the last column.
Primitives FieldTopBox(float t, float period) {
  const float sway = static_cast<float>(t / 1000.0);
  const float swing = Sin(90.0, t / period);
  return BoxAt(260.0f + Cos(10.0, sway), 90.0f + Sin(11.0, sway), 160.0f + swing, swing, 0.011f);
}

TEST(FrameDriver, At7500BothTheMovingCardAndTheFallingBoxDraw) {
  REQUIRE_SCENE();
  const Primitives drawn = Draw(7500.0f, 0, false);
  const auto card = FindAll(drawn, CardAt(32.5f, 17.5f, 300.0f));
  const auto box = FindAll(drawn, FallingBoxAt(7500.0f));
  ASSERT_EQ(card.size(), 1u);
  ASSERT_EQ(box.size(), 1u);
  EXPECT_LT(card[0], box[0]);

  const Primitives before = Draw(7499.0f, 0, false);
  EXPECT_EQ(FindAll(before, CardAt(32.499f, 17.499f, 7499.0f / 15.0f - 200.0f)).size(), 1u);
  EXPECT_TRUE(FindAll(before, FallingBoxAt(7499.0f)).empty());

  const Primitives after = Draw(7501.0f, 0, false);
  EXPECT_TRUE(FindAll(after, CardAt(32.501f, 17.501f, 7501.0f / 15.0f - 200.0f)).empty());
  EXPECT_EQ(FindAll(after, FallingBoxAt(7501.0f)).size(), 1u);
}

TEST(FrameDriver, AtZeroOnlyTheBackdropAndTheCardAtItsStart) {
  REQUIRE_SCENE();
  const Primitives drawn = Draw(0.0f, 0, false);
  EXPECT_EQ(FindAll(drawn, BoxAt(0.0f, 0.0f, 0.0f, 0.0f, 2.0f)), std::vector<size_t>{0});
  EXPECT_EQ(FindAll(drawn, BoxAt(0.0f, 0.0f, 0.0f, 0.0f, 3.0f)), std::vector<size_t>{12});
  EXPECT_EQ(FindAll(drawn, RoomAt(0.0f, 0.0f, 2.0f)).size(), 1u);
  EXPECT_EQ(FindAll(drawn, CardAt(25.0f, 10.0f, -200.0f)).size(), 1u);
  EXPECT_TRUE(FindAll(drawn, FallingBoxAt(0.0f)).empty());
}

TEST(FrameDriver, At15000BothWindowsDrawFirstWindowFirst) {
  REQUIRE_SCENE();
  const float t = 15000.0f;
  const Primitives drawn = Draw(t, 0, false);
  const auto logoBox = FindAll(drawn, BoxAt(0.0f, 0.0f, 0.0f, 0.0f, 2.0f));
  const auto fallingBox = FindAll(drawn, FallingBoxAt(t));
  const auto spinning = FindAll(drawn, BoxAt(0.0f, 0.0f, 0.0f, Sin(360.0, 1.5), 1.7f));
  const auto lavaRoom = FindAll(drawn, RoomAt(-100.0f, Sin(360.0, t / 8000.0), 1.0f));
  const auto stillCard = FindAll(drawn, CardAt(40.0f, 25.0f, -200.0f));
  ASSERT_EQ(logoBox.size(), 1u);
  ASSERT_EQ(fallingBox.size(), 1u);
  ASSERT_EQ(spinning.size(), 2u);
  ASSERT_EQ(lavaRoom.size(), 1u);
  ASSERT_EQ(stillCard.size(), 1u);
  EXPECT_LT(logoBox[0], fallingBox[0]);
  EXPECT_LT(fallingBox[0], spinning[0]);
  EXPECT_LT(spinning[1], lavaRoom[0]);
  EXPECT_LT(lavaRoom[0], stillCard[0]);

  const Primitives later = Draw(15001.0f, 0, false);
  EXPECT_TRUE(FindAll(later, BoxAt(0.0f, 0.0f, 0.0f, 0.0f, 2.0f)).empty());
  EXPECT_TRUE(FindAll(later, FallingBoxAt(15001.0f)).empty());
}

TEST(FrameDriver, MainFieldPeriodGrowsFrom100To320AndTheExplosionRestartsAt300) {
  REQUIRE_SCENE();
  const Primitives at35 = Draw(35000.0f, 0, false);
  EXPECT_EQ(FindAll(at35, FieldTopBox(35000.0f, 100.0f)).size(), 2u);
  // The second window still draws its room at the same instant, before the field.
  const auto room = FindAll(at35, RoomAt(-100.0f, Sin(360.0, 35000.0 / 8000.0), 1.0f));
  ASSERT_EQ(room.size(), 1u);
  EXPECT_LT(room[0], FindAll(at35, FieldTopBox(35000.0f, 100.0f))[0]);

  const Primitives at46 = Draw(46000.0f, 0, false);
  EXPECT_EQ(FindAll(at46, FieldTopBox(46000.0f, 210.0f)).size(), 2u);

  const Primitives at57 = Draw(57000.0f, 0, false);
  const auto slow = FindAll(at57, FieldTopBox(57000.0f, 320.0f));
  const auto exploding = FindAll(at57, FieldTopBox(57000.0f, 300.0f));
  ASSERT_EQ(slow.size(), 2u);
  ASSERT_EQ(exploding.size(), 2u) << "scatter amount 0 leaves the field whole";
  EXPECT_LT(slow[1], exploding[0]);

  // Half a second into the explosion the boxes have left their places.
  const Primitives at575 = Draw(57500.0f, 0, false);
  EXPECT_TRUE(FindAll(at575, FieldTopBox(57500.0f, 300.0f)).empty());
  EXPECT_TRUE(FindAll(at575, FieldTopBox(57500.0f, 325.0f)).empty());
}

TEST(FrameDriver, PanelAt20000ShowsTheSmallFieldInsteadOfRoomAndCard) {
  REQUIRE_SCENE();
  timeline_test::UseWideOrtho();
  const float t = 20000.0f;
  const float sway = static_cast<float>(t / 500.0);
  const float swing = Sin(90.0, t / 100.0);
  const Primitives fieldTop =
      BoxAt(170.0f + Cos(10.0, sway), 45.0f + Sin(11.0, sway), 70.0f + swing, swing, 0.011f);
  const Primitives room = RoomAt(-100.0f, Sin(360.0, t / 8000.0), 1.0f);
  const Primitives card = CardAt(45.0f, 30.0f, -200.0f);

  const Primitives panel = Draw(t, 1, true);
  EXPECT_EQ(FindAll(panel, fieldTop).size(), 2u);
  EXPECT_TRUE(FindAll(panel, room).empty());
  EXPECT_TRUE(FindAll(panel, card).empty());

  const Primitives main = Draw(t, 0, false);
  EXPECT_TRUE(FindAll(main, fieldTop).empty());
  EXPECT_EQ(FindAll(main, room).size(), 1u);
  EXPECT_EQ(FindAll(main, card).size(), 1u);
}

TEST(FrameDriver, TheFallingBoxNeverDrawsInAPanel) {
  REQUIRE_SCENE();
  for (float t : {7500.0f, 9000.0f, 12345.0f, 15000.0f}) {
    EXPECT_TRUE(FindAll(Draw(t, 0, true), FallingBoxAt(t)).empty()) << t;
    EXPECT_EQ(FindAll(Draw(t, 0, false), FallingBoxAt(t)).size(), 1u) << t;
  }
  // In a panel the first window draws only the turning room at scale 1.
  const Primitives panel = Draw(4000.0f, 2, true);
  EXPECT_EQ(FindAll(panel, RoomAt(0.0f, Sin(360.0, 4000.0 / 5000.0), 1.0f)), std::vector<size_t>{0});
}

TEST(FrameDriver, AfterTheExplosionOnlyTheFinalBackdrop) {
  REQUIRE_SCENE();
  const Primitives drawn = Draw(63000.0f, 0, false);
  EXPECT_EQ(FindAll(drawn, BoxAt(0.0f, 0.0f, 0.0f, 0.0f, 2.0f)), std::vector<size_t>{0});
  const Primitives room = RoomAt(0.0f, 0.0f, 3.5f);
  ASSERT_EQ(FindAll(drawn, room).size(), 1u);
  EXPECT_EQ(drawn.size(), 12u + room.size());
  EXPECT_TRUE(Draw(100001.0f, 0, false).empty());
}

}  // namespace
