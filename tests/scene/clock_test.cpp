#include <gtest/gtest.h>

#include "platform/platform.h"
#include "scene/clock.h"
#include "scene/vektor.h"

namespace {

// Takes every waiting event; returns the exit code of a quit among them, or -1.
int DrainQuit() {
  int code = -1;
  platform::Event event;
  while (platform::PollEvent(&event))
    if (event.kind == platform::EventKind::Quit) code = event.exit_code;
  return code;
}

TEST(Clock, WindowsIncludeBothEnds) {
  const struct {
    float t;
    bool inside;
  } cases[] = {{14999.0f, false}, {15000.0f, true}, {25000.0f, true}, {35000.0f, true}, {35001.0f, false}};
  for (const auto& c : cases) {
    mytime = c.t;
    EXPECT_EQ(c.inside, zaman(15000, 35000)) << "at " << c.t;
  }
  mytime = 100.0f;
  EXPECT_TRUE(zaman(100, 100));
  EXPECT_FALSE(zaman(101, 99));
}

TEST(Clock, SecondsAreThousandsOfMilliseconds) {
  EXPECT_FLOAT_EQ(70.0f, saniye(70000.0f));
  EXPECT_FLOAT_EQ(70.001f, saniye(70001.0f));
  EXPECT_FLOAT_EQ(0.0f, saniye(0.0f));
  EXPECT_FLOAT_EQ(-1.5f, saniye(-1500.0f));
}

TEST(Clock, TheRunEndsOnlyPastSeventySeconds) {
  DrainQuit();
  for (float t : {0.0f, 35000.0f, 69999.0f, 70000.0f}) {
    mytime = t;
    Pencereyi_Kapat();
    EXPECT_EQ(-1, DrainQuit()) << "quit at " << t;
  }
  mytime = 70001.0f;
  Pencereyi_Kapat();
  EXPECT_EQ(0, DrainQuit());
  EXPECT_EQ(-1, DrainQuit()) << "the quit is handed out once";
}

TEST(Clock, KapatAsksToQuitWithZero) {
  DrainQuit();
  EXPECT_TRUE(Kapat());
  EXPECT_EQ(0, DrainQuit());
}

TEST(Vector, SetAndClear) {
  vektor3d v{9, 9, 9};
  setvec3d(&v, 1.5f, -2.0f, 3.25f);
  EXPECT_EQ(1.5f, v.x);
  EXPECT_EQ(-2.0f, v.y);
  EXPECT_EQ(3.25f, v.z);
  vec3d(&v);
  EXPECT_EQ(0.0f, v.x);
  EXPECT_EQ(0.0f, v.y);
  EXPECT_EQ(0.0f, v.z);
  setvec3d(nullptr, 1, 2, 3);  // answered with nothing, not a fault
  vec3d(nullptr);
  static_assert(sizeof(vektor3d) == 3 * sizeof(float), "three floats, nothing else");
}

}  // namespace
