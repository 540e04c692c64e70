// The whole timeline, frame by frame on one context, as the shell's loop draws it.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "scene/scene.h"
#include "scene/timeline.h"
#include "timeline/scene_fixture.h"

namespace {

// One frame of the shell's loop with the clock set by hand instead of read from the song.
void DrawFrame(float t) {
  glViewport(0, 0, 800, 600);
  glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  timeline_test::SetClock(t);
  Sahne_Kare(0);
  glViewport(0, 0, 800, 600);
  glFlush();
}

// Distinct colours over a grid of the frame.
size_t DistinctColours() {
  std::vector<unsigned char> pixels(800 * 600 * 4);
  glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  std::set<unsigned> colours;
  for (int y = 7; y < 600; y += 37) {
    for (int x = 5; x < 800; x += 41) {
      const unsigned char* p = &pixels[(y * 800 + x) * 4];
      colours.insert(p[0] << 16 | p[1] << 8 | p[2]);
    }
  }
  return colours.size();
}

// The last 300 ms of every flash add full white over everything; no panel is drawn then.
bool InsideFullWhite(float t) {
  const float ends[] = {15500.0f, 35500.0f, 58500.0f, 61000.0f, 70000.0f};
  for (float end : ends) {
    if (t >= end - 300.0f && t <= end) return true;
  }
  return false;
}

// Every 50 ms of clock by default; TARVELON_WHOLE_RUN_STEP_MS sets a coarser step where the
// software renderer is slow.
float StepMs() {
  const char* step = std::getenv("TARVELON_WHOLE_RUN_STEP_MS");
  const int value = step ? std::atoi(step) : 50;
  return static_cast<float>(value > 0 ? value : 50);
}

TEST(WholeRun, EveryFrameFromZeroTo70sDrawsCleanly) {
  REQUIRE_SCENE();
  glMatrixMode(GL_MODELVIEW);
  const int modelviewDepth = timeline_test::GetInt(GL_MODELVIEW_STACK_DEPTH);
  const int projectionDepth = timeline_test::GetInt(GL_PROJECTION_STACK_DEPTH);
  const float step = StepMs();
  int frames = 0;
  int flat = 0;
  for (float t = 0.0f; t <= 70000.0f; t += step) {
    DrawFrame(t);
    ++frames;
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "t = " << t;
    ASSERT_EQ(timeline_test::GetInt(GL_MODELVIEW_STACK_DEPTH), modelviewDepth) << "t = " << t;
    ASSERT_EQ(timeline_test::GetInt(GL_PROJECTION_STACK_DEPTH), projectionDepth) << "t = " << t;
    ASSERT_EQ(timeline_test::GetInt(GL_MATRIX_MODE), GL_MODELVIEW) << "t = " << t;
    const size_t colours = DistinctColours();
    if (InsideFullWhite(t)) {
      ++flat;
      EXPECT_EQ(colours, 1u) << "t = " << t;
    } else {
      EXPECT_GT(colours, 1u) << "a flat frame at t = " << t;
    }
  }
  EXPECT_EQ(frames, static_cast<int>(70000.0f / step) + 1);
  EXPECT_GT(flat, 0);
}

// The frame driver takes the clock from the song; without a song the clock reads 0 and the
// first instant of the timeline is drawn.
TEST(WholeRun, WithoutASongTheClockStaysAtZero) {
  REQUIRE_SCENE();
  timeline_test::SetClock(12345.0f);
  glViewport(0, 0, 800, 600);
  glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  Sahne(nullptr, 0);
  EXPECT_EQ(mytime, 0.0f);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_GT(DistinctColours(), 1u);
}

}  // namespace
