// The 2D layer (group line, strip, credits, flashes) and the picture-in-picture panels.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <utility>

#include "scene/overlays.h"
#include "scene/scene.h"
#include "support/gl_context.h"
#include "timeline/scene_fixture.h"

namespace {

using timeline_test::Capture;
using timeline_test::IsEnabled;
using timeline_test::Primitive;
using timeline_test::Primitives;
using timeline_test::SetClock;

constexpr float kUnitsPerPixelX = 1024.0f / 800.0f;
constexpr float kUnitsPerPixelY = 768.0f / 600.0f;

struct Box {
  float x0, y0, x1, y1;  // overlay units, bottom-left origin
  float s0, t0;
};

Box Bounds(const Primitive& p) {
  Box b{1e9f, 1e9f, -1e9f, -1e9f, 1e9f, 1e9f};
  for (const auto& v : p.vertices) {
    b.x0 = std::min(b.x0, v.x * kUnitsPerPixelX);
    b.y0 = std::min(b.y0, v.y * kUnitsPerPixelY);
    b.x1 = std::max(b.x1, v.x * kUnitsPerPixelX);
    b.y1 = std::max(b.y1, v.y * kUnitsPerPixelY);
    b.s0 = std::min(b.s0, v.s);
    b.t0 = std::min(b.t0, v.t);
  }
  return b;
}

// The texts of one Yazilar call, read back from the glyph quads: the cell a quad samples
// names its character, its lower-left corner the pen position. Keyed by the line's distance
// from the top edge, each with the x of its first glyph.
struct Line {
  float x;
  std::string text;
};

std::map<int, Line> ReadTexts(const Primitives& drawn) {
  std::map<int, std::map<int, char>> glyphs;  // line -> pen x -> character
  std::map<int, float> firstX;
  for (const Primitive& p : drawn) {
    const Box b = Bounds(p);
    if (b.x1 - b.x0 > 60.0f || b.y1 - b.y0 > 60.0f) continue;  // strip, flashes
    const int column = static_cast<int>(std::lround(b.s0 * 16.0f));
    const int row = 15 - static_cast<int>(std::lround(b.t0 * 16.0f));
    const int line = static_cast<int>(std::lround(768.0f - b.y0));
    glyphs[line][static_cast<int>(std::lround(b.x0 * 4.0f))] = static_cast<char>(column + 16 * row);
    auto it = firstX.find(line);
    if (it == firstX.end() || b.x0 < it->second) firstX[line] = b.x0;
  }
  std::map<int, Line> lines;
  for (const auto& [line, byX] : glyphs) {
    std::string text;
    for (const auto& entry : byX) text += entry.second;
    lines[line] = Line{firstX[line], text};
  }
  return lines;
}

Primitives DrawOverlays(float t) {
  SetClock(t);
  return Capture([] { Yazilar(); });
}

// Full-window primitives are the flashes; their feedback colour is the flash brightness
// (the 2D mode is unlit). A quad may come back as two triangles.
std::vector<float> Flashes(const Primitives& drawn) {
  std::vector<float> levels;
  for (const Primitive& p : drawn) {
    const Box b = Bounds(p);
    if (b.x0 < 1.0f && b.y0 < 1.0f && b.x1 > 1023.0f && b.y1 > 767.0f) levels.push_back(p.vertices[0].r);
  }
  return levels;
}

// Quads of the strip's size.
std::vector<Box> Strips(const Primitives& drawn) {
  std::vector<Box> strips;
  for (const Primitive& p : drawn) {
    const Box b = Bounds(p);
    const float w = b.x1 - b.x0;
    const float h = b.y1 - b.y0;
    if (w > 200.0f && w < 1000.0f && h > 50.0f && h < 700.0f) strips.push_back(b);
  }
  return strips;
}

TEST(Overlays, GroupLineCirclesFrom15000To58000Inclusive) {
  REQUIRE_SCENE();
  EXPECT_TRUE(ReadTexts(DrawOverlays(14999.0f)).empty());
  for (float t : {15000.0f, 33333.0f, 58000.0f}) {
    const auto lines = ReadTexts(DrawOverlays(t));
    ASSERT_EQ(lines.size(), 1u) << t;
    const float theta = (t / 10.0f) * 3.1415927f / 180.0f;
    const auto& [fromTop, line] = *lines.begin();
    EXPECT_EQ(line.text, "Tarvelon 2006");
    EXPECT_NEAR(line.x, 400.0f + 100.0f * std::cos(theta), 0.5f) << t;
    EXPECT_NEAR(fromTop, 100.0f + 50.0f * std::sin(theta), 1.0f) << t;
  }
  EXPECT_TRUE(ReadTexts(DrawOverlays(58001.0f)).empty());
}

TEST(Overlays, StripFrom59000AndCreditsFrom60500) {
  REQUIRE_SCENE();
  EXPECT_TRUE(Strips(DrawOverlays(58999.0f)).empty());
  const Primitives at59 = DrawOverlays(59000.0f);
  const auto strips = Strips(at59);
  ASSERT_FALSE(strips.empty());
  for (const Box& b : strips) {
    EXPECT_NEAR(b.x0, 170.0f, 0.5f);
    EXPECT_NEAR(b.x1, 820.0f, 0.5f);
    EXPECT_NEAR(b.y1, 768.0f - 50.0f, 0.5f);
    EXPECT_NEAR(b.y0, 768.0f - 200.0f, 0.5f);
    EXPECT_NEAR(b.s0, 59.0f, 1e-3f);
  }
  EXPECT_TRUE(ReadTexts(at59).empty());

  const Primitives before = DrawOverlays(60499.0f);
  EXPECT_FALSE(Strips(before).empty());
  EXPECT_TRUE(ReadTexts(before).empty());

  const auto credits = ReadTexts(DrawOverlays(60500.0f));
  const std::map<int, std::string> expected = {
      {300, "Programing :"},        {350, "             Vurtami"},
      {400, "Gfx        :"},        {450, "             Pelvora_Sintek"},
      {500, "Music      :"},        {550, "             Nim_Taroske"},
      {600, "Tarvelon   :"},        {650, "            www.tarvelon.example"},
  };
  ASSERT_EQ(credits.size(), expected.size());
  for (const auto& [y, text] : expected) {
    const auto it = credits.find(y);
    ASSERT_NE(it, credits.end()) << "no line at " << y;
    EXPECT_EQ(it->second.text, text);
    EXPECT_NEAR(it->second.x, 50.0f, 0.5f);
  }
  EXPECT_EQ(ReadTexts(DrawOverlays(70000.0f)).size(), expected.size());
  EXPECT_TRUE(ReadTexts(DrawOverlays(70001.0f)).empty());
  EXPECT_TRUE(Strips(DrawOverlays(70001.0f)).empty());
}

TEST(Overlays, FlashRampsFrom03To1AndHoldsForTheLast300ms) {
  REQUIRE_SCENE();
  const struct {
    float t, level;
  } ramp[] = {{14500.0f, 0.3f}, {15000.0f, 0.8f}, {15100.0f, 0.9f}, {15200.0f, 1.0f}, {15500.0f, 1.0f},
              {34500.0f, 0.3f}, {58200.0f, 1.0f}, {60000.0f, 0.3f}, {69999.0f, 1.0f}};
  for (const auto& r : ramp) {
    const auto levels = Flashes(DrawOverlays(r.t));
    ASSERT_FALSE(levels.empty()) << r.t;
    for (float level : levels) EXPECT_NEAR(level, r.level, 1e-4f) << r.t;
  }
  for (float t : {14499.0f, 15501.0f, 34499.0f, 58501.0f, 59999.0f, 68999.0f, 70001.0f}) {
    EXPECT_TRUE(Flashes(DrawOverlays(t)).empty()) << t;
  }
}

TEST(Overlays, FlashOutsideItsWindowSetsNoColour) {
  REQUIRE_SCENE();
  SetClock(14499.0f);
  glColor3f(0.2f, 0.4f, 0.6f);
  Ekrana2BCizimyap(1, 1024, 768);
  FadeBeyaz(14500.0f, 15500.0f);
  Ekrana2BCizimyap(0, 1024, 768);
  const auto c = timeline_test::CurrentColour();
  EXPECT_FLOAT_EQ(c[0], 0.2f);
  EXPECT_FLOAT_EQ(c[1], 0.4f);
  EXPECT_FLOAT_EQ(c[2], 0.6f);
}

// Under glow blending a flash of brightness b adds b squared to every channel.
TEST(Overlays, FlashAddsTheSquareOfItsBrightness) {
  REQUIRE_SCENE();
  const struct {
    float t;
    int expected;
  } cases[] = {{14500.0f, 23}, {15000.0f, 163}, {15200.0f, 255}};
  for (const auto& c : cases) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SetClock(c.t);
    Yazilar();
    for (const auto& [x, y] : {std::pair{20, 20}, std::pair{780, 300}, std::pair{400, 10}}) {
      const auto px = testsupport::ReadPixel(x, y);
      for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(px[ch], c.expected, 10) << "t " << c.t << " channel " << ch;
    }
  }
}

TEST(Overlays, TwoDModeSavesProjectionOnlyAndModeTwoDoesNothing) {
  REQUIRE_SCENE();
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(1.0f, 2.0f, 3.0f);
  const int projectionDepth = timeline_test::GetInt(GL_PROJECTION_STACK_DEPTH);
  const int modelviewDepth = timeline_test::GetInt(GL_MODELVIEW_STACK_DEPTH);

  Ekrana2BCizimyap(2, 1024, 768);
  EXPECT_EQ(timeline_test::GetInt(GL_PROJECTION_STACK_DEPTH), projectionDepth);
  EXPECT_TRUE(IsEnabled(GL_LIGHTING));
  EXPECT_TRUE(IsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(IsEnabled(GL_TEXTURE_2D));

  Ekrana2BCizimyap(1, 1024, 768);
  EXPECT_EQ(timeline_test::GetInt(GL_PROJECTION_STACK_DEPTH), projectionDepth + 1);
  EXPECT_EQ(timeline_test::GetInt(GL_MATRIX_MODE), GL_MODELVIEW);
  EXPECT_FALSE(IsEnabled(GL_LIGHTING));
  EXPECT_FALSE(IsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(IsEnabled(GL_TEXTURE_2D));
  GLfloat projection[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  EXPECT_FLOAT_EQ(projection[0], 2.0f / 1024.0f);
  EXPECT_FLOAT_EQ(projection[5], 2.0f / 768.0f);

  Ekrana2BCizimyap(0, 1024, 768);
  EXPECT_EQ(timeline_test::GetInt(GL_PROJECTION_STACK_DEPTH), projectionDepth);
  EXPECT_EQ(timeline_test::GetInt(GL_MODELVIEW_STACK_DEPTH), modelviewDepth);
  EXPECT_TRUE(IsEnabled(GL_LIGHTING));
  EXPECT_TRUE(IsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(IsEnabled(GL_TEXTURE_2D)) << "texturing stays on after leaving";
  GLfloat modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  EXPECT_FLOAT_EQ(modelview[12], 0.0f) << "the camera transform is discarded";
}

// --- Panels ---------------------------------------------------------------------------------

struct Rect {
  int x, y, w, h;
};

// Fills the window with a marker colour and the nearest depth, so nothing draws unless a
// panel clears the depth first, then runs the panels for time t.
void RunPanels(float t) {
  glViewport(0, 0, 800, 600);
  glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
  glClearDepth(0.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClearDepth(1.0);
  SetClock(t);
  EkranEfek(0);
}

// Share of sample points inside r that differ from the marker colour.
double Covered(const Rect& r) {
  int changed = 0;
  int total = 0;
  for (int y = r.y + 5; y < r.y + r.h; y += 9) {
    for (int x = r.x + 5; x < r.x + r.w; x += 9) {
      const auto px = testsupport::ReadPixel(x, y);
      changed += (px[0] > 8 || px[1] > 8 || px[2] < 247) ? 1 : 0;
      ++total;
    }
  }
  return static_cast<double>(changed) / total;
}

float DepthAt(int x, int y) {
  float depth = -1.0f;
  glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  return depth;
}

void ExpectViewport(const Rect& r) {
  GLint v[4];
  glGetIntegerv(GL_VIEWPORT, v);
  EXPECT_EQ(v[0], r.x);
  EXPECT_EQ(v[1], r.y);
  EXPECT_EQ(v[2], r.w);
  EXPECT_EQ(v[3], r.h);
}

const Rect kQuarters[] = {{0, 0, 400, 300}, {400, 300, 400, 300}, {0, 300, 400, 300}, {400, 0, 400, 300}};
const Rect kSmall[] = {{0, 0, 200, 100},   {200, 100, 200, 100}, {0, 100, 200, 100},   {200, 0, 200, 100},
                       {600, 500, 200, 100}, {600, 400, 200, 100}, {400, 500, 200, 100}, {400, 400, 200, 100}};

void ExpectPanels(const Rect* rects, int count, std::initializer_list<int> drawn, float t) {
  for (int i = 0; i < count; ++i) {
    const bool expected = std::find(drawn.begin(), drawn.end(), i + 1) != drawn.end();
    const double covered = Covered(rects[i]);
    if (expected) {
      EXPECT_GT(covered, 0.5) << "panel " << i + 1 << " at " << t;
    } else {
      EXPECT_EQ(covered, 0.0) << "panel " << i + 1 << " at " << t;
    }
  }
}

TEST(Panels, NoneInTheFirstTwoSeconds) {
  REQUIRE_SCENE();
  for (float t : {0.0f, 1000.0f, 1999.0f}) {
    RunPanels(t);
    ExpectPanels(kQuarters, 4, {}, t);
    ExpectViewport({0, 0, 800, 600});
    EXPECT_EQ(DepthAt(10, 10), 0.0f);
  }
}

TEST(Panels, QuarterPanelsBySecondAndTheViewportStaysAtTheLast) {
  REQUIRE_SCENE();
  RunPanels(2000.0f);
  ExpectPanels(kQuarters, 4, {1, 2, 3, 4}, 2000.0f);
  ExpectViewport(kQuarters[3]);

  RunPanels(14999.0f);
  ExpectPanels(kQuarters, 4, {1, 2, 3}, 14999.0f);
  ExpectViewport(kQuarters[2]);

  RunPanels(5500.0f);  // k = 5: 5 mod 3 = 2, 5 mod 5 = 0, 5 mod 7 = 5
  ExpectPanels(kQuarters, 4, {1, 3, 4}, 5500.0f);
  ExpectViewport(kQuarters[3]);
}

TEST(Panels, SmallPanelsUpTo35000Inclusive) {
  REQUIRE_SCENE();
  const Rect outside{500, 150, 200, 150};
  RunPanels(35000.0f);
  ExpectPanels(kSmall, 8, {1, 6, 8}, 35000.0f);
  ExpectViewport(kSmall[7]);
  EXPECT_EQ(Covered(outside), 0.0);
  // Each panel clears the depth of the whole window, never the colour.
  EXPECT_EQ(DepthAt(650, 200), 1.0f);

  RunPanels(15000.0f);  // k = 15: 15 mod 7 = 1, 15 mod 5 = 0, 15 mod 3 = 0
  ExpectPanels(kSmall, 8, {}, 15000.0f);

  RunPanels(23000.0f);  // k = 23: mod 3 = 2, mod 5 = 3, mod 7 = 2: all eight
  ExpectPanels(kSmall, 8, {1, 2, 3, 4, 5, 6, 7, 8}, 23000.0f);
  EXPECT_EQ(Covered(outside), 0.0);

  RunPanels(35001.0f);
  ExpectPanels(kSmall, 8, {}, 35001.0f);
  ExpectViewport({0, 0, 800, 600});
  EXPECT_EQ(DepthAt(650, 200), 0.0f);
}

}  // namespace
