#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "feedback.h"
#include "models/font.h"
#include "support/gl_context.h"

namespace {

using testsupport::CapturePolygons;
using testsupport::FeedbackPolygon;

struct Bounds {
  float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
  float s0 = 1e9f, t0 = 1e9f, s1 = -1e9f, t1 = -1e9f;
  int vertices = 0;
};

Bounds Measure(const std::vector<FeedbackPolygon>& polygons) {
  Bounds b;
  for (const auto& p : polygons)
    for (const auto& v : p.vertices) {
      b.x0 = std::min(b.x0, v.x);
      b.x1 = std::max(b.x1, v.x);
      b.y0 = std::min(b.y0, v.y);
      b.y1 = std::max(b.y1, v.y);
      b.s0 = std::min(b.s0, v.s);
      b.s1 = std::max(b.s1, v.s);
      b.t0 = std::min(b.t0, v.t);
      b.t1 = std::max(b.t1, v.t);
      ++b.vertices;
    }
  return b;
}

// A glyph sheet that is black except for the cell of code 65, which is white.
GLuint MakeSheetWithWhiteA() {
  std::vector<unsigned char> texels(256 * 256 * 3, 0);
  // Code 65 is column 1, grid row 4 from the top; rows are stored bottom first.
  for (int row = 256 - 5 * 16; row < 256 - 4 * 16; ++row)
    for (int col = 16; col < 32; ++col)
      for (int c = 0; c < 3; ++c) texels[(row * 256 + col) * 3 + c] = 255;
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 256, 256, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
  return name;
}

// Total area of the polygons in window units.
float Area(const std::vector<FeedbackPolygon>& polygons) {
  float sum = 0.0f;
  for (const auto& p : polygons) {
    float twice = 0.0f;
    for (std::size_t i = 0; i < p.vertices.size(); ++i) {
      const auto& a = p.vertices[i];
      const auto& b = p.vertices[(i + 1) % p.vertices.size()];
      twice += a.x * b.y - b.x * a.y;
    }
    sum += std::fabs(twice) / 2.0f;
  }
  return sum;
}

class FontTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string why;
    if (!testsupport::EnsureGLContext(&why)) return;
    font.Giris();
    font.texture = MakeSheetWithWhiteA();
  }

  void SetUp() override {
    std::string why;
    ASSERT_TRUE(testsupport::EnsureGLContext(&why)) << why;
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
  }

  // A 2D space in which one unit is one pixel.
  static void PixelSpace() { font.Ekrana2BCizimyap(1, 800, 600); }
  static void LeavePixelSpace() { font.Ekrana2BCizimyap(0, 800, 600); }
};

TEST_F(FontTest, BuildsTwoHundredFiftySixLists) {
  ASSERT_NE(0u, font.listBase);
  for (GLuint c = 0; c < 256; ++c) EXPECT_TRUE(glIsList(font.listBase + c)) << "code " << c;
}

TEST_F(FontTest, CodesMapToTheirGridCells) {
  PixelSpace();
  struct Case {
    unsigned char code;
    float s0, t0;
  };
  // 32: column 0, row 2 from the top; 65: column 1, row 4; 0 and 255 at the corners.
  const Case cases[] = {{32, 0.0f, 0.8125f}, {65, 0.0625f, 0.6875f}, {0, 0.0f, 0.9375f}, {255, 0.9375f, 0.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "code " << int(c.code));
    glLoadIdentity();
    const auto polygons = CapturePolygons([&] { glCallList(font.listBase + c.code); });
    EXPECT_NEAR(256.0f, Area(polygons), 1e-2f);  // one 16x16 square, however it is split
    const auto b = Measure(polygons);
    EXPECT_NEAR(c.s0, b.s0, 1e-6f);
    EXPECT_NEAR(c.s0 + 0.0625f, b.s1, 1e-6f);
    EXPECT_NEAR(c.t0, b.t0, 1e-6f);
    EXPECT_NEAR(c.t0 + 0.0625f, b.t1, 1e-6f);
    EXPECT_NEAR(0.0f, b.x0, 1e-3f);
    EXPECT_NEAR(16.0f, b.x1, 1e-3f);
    EXPECT_NEAR(0.0f, b.y0, 1e-3f);
    EXPECT_NEAR(16.0f, b.y1, 1e-3f);
  }
  // Each list moves the pen 10 units on.
  glLoadIdentity();
  glCallList(font.listBase + 65);
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_FLOAT_EQ(10.0f, m[12]);
  EXPECT_FLOAT_EQ(0.0f, m[13]);
  LeavePixelSpace();
}

TEST_F(FontTest, TextOfNBytesCoversTenPerByteAfterTheFirstSixteen) {
  PixelSpace();
  for (const char* text : {"A", "AB", "Tarvelon 2006"}) {
    const float n = static_cast<float>(std::strlen(text));
    const auto b = Measure(CapturePolygons([&] { font.vPrint(100, 50, 1, 1, 1, text); }));
    SCOPED_TRACE(text);
    EXPECT_NEAR(100.0f, b.x0, 1e-3f);
    EXPECT_NEAR(100.0f + 10.0f * (n - 1.0f) + 16.0f, b.x1, 1e-3f);
    EXPECT_NEAR(50.0f, b.y0, 1e-3f);
    EXPECT_NEAR(66.0f, b.y1, 1e-3f);
  }
  // Scaled: the extent scales, the start stays.
  const auto b = Measure(CapturePolygons([&] { font.vPrint(100, 50, 2, 3, 1, "AB"); }));
  EXPECT_NEAR(100.0f, b.x0, 1e-3f);
  EXPECT_NEAR(100.0f + 2.0f * 26.0f, b.x1, 1e-3f);
  EXPECT_NEAR(50.0f + 3.0f * 16.0f, b.y1, 1e-3f);
  LeavePixelSpace();
}

TEST_F(FontTest, PrintSwitchesBlendingOnAndOffAndKeepsTheMatrix) {
  PixelSpace();
  glTranslatef(3, 4, 5);
  GLfloat before[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  glBlendFunc(GL_ONE, GL_ZERO);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);

  // An empty text draws nothing but still sets up and ends the blend.
  EXPECT_TRUE(CapturePolygons([] { font.vPrint(10, 10, 1, 1, 1, ""); }).empty());
  GLint src = 0, dst = 0, poly[2] = {0, 0};
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  glGetIntegerv(GL_POLYGON_MODE, poly);
  EXPECT_EQ(GL_SRC_COLOR, src);
  EXPECT_EQ(GL_ONE_MINUS_SRC_COLOR, dst);
  EXPECT_EQ(GL_FILL, poly[0]);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  GLfloat after[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  EXPECT_EQ(0, std::memcmp(before, after, sizeof before));

  // A null text changes nothing at all.
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ZERO);
  font.vPrint(10, 10, 1, 1, 1, nullptr);
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  glGetIntegerv(GL_BLEND_SRC, &src);
  EXPECT_EQ(GL_ONE, src);
  LeavePixelSpace();
}

TEST_F(FontTest, GlyphTexelsReplaceTheBackgroundAndBlackLeavesIt) {
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  PixelSpace();
  font.Yaz(600, 100, 500, 3, 0, "A");  // style 3 prints at 1.7: 100..127.2, y 100..127.2
  const auto a = testsupport::ReadPixel(110, 110);
  EXPECT_GE(a[0], 240);
  EXPECT_GE(a[1], 240);
  EXPECT_GE(a[2], 240);
  font.Yaz(600, 300, 500, 3, 0, "B");  // a black cell: the red background stays
  const auto b = testsupport::ReadPixel(310, 110);
  EXPECT_GE(b[0], 240);
  EXPECT_LE(b[1], 15);
  EXPECT_LE(b[2], 15);
  LeavePixelSpace();
}

TEST_F(FontTest, YazSkipsTextsOffScreenWithoutTouchingState) {
  PixelSpace();
  GLuint other = 0;
  glGenTextures(1, &other);
  struct Case {
    float x, y;
  };
  for (const Case c : {Case{2500, 100}, Case{-1200, 100}, Case{100, 600}, Case{100, 900}}) {
    SCOPED_TRACE(::testing::Message() << "x " << c.x << " y " << c.y);
    glBindTexture(GL_TEXTURE_2D, other);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    EXPECT_TRUE(CapturePolygons([&] { font.Yaz(600, c.x, c.y, 0, 0, "AB"); }).empty());
    GLint bound = 0, src = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_BLEND_SRC, &src);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(GLint(other), bound);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(GL_ONE, src);
    EXPECT_NEAR(0.1f, colour[0], 1e-3f);
    EXPECT_NEAR(0.4f, colour[3], 1e-3f);
  }
  // Just inside the limits it prints: font texture bound, opaque white, blending off.
  for (const Case c : {Case{2499, 100}, Case{-1199, 100}, Case{100, 599}}) {
    SCOPED_TRACE(::testing::Message() << "x " << c.x << " y " << c.y);
    glBindTexture(GL_TEXTURE_2D, other);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glEnable(GL_BLEND);
    font.Yaz(600, c.x, c.y, 0, 0, "AB");
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(GLint(font.texture), bound);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    for (float channel : colour) EXPECT_FLOAT_EQ(1.0f, channel);
  }
  LeavePixelSpace();
}

TEST_F(FontTest, YazScalesByStyleAndClampedSizeAndMeasuresYFromTheTop) {
  PixelSpace();
  struct Case {
    unsigned long style;
    float size;
    float scaleX, scaleY;
  };
  const Case cases[] = {
      {0, 5.0f, 1.7f, 1.7f},   {1, -3.0f, 3.0f, 3.0f}, {0, 0.0f, 0.9f, 0.9f}, {1, 0.0f, 2.5f, 2.5f},
      {4, 0.0f, 1.0f, 0.5f},   {4, 9.0f, 1.0f, 1.3f},  {3, 0.0f, 1.7f, 1.7f}, {2, -7.0f, 1.7f, 1.7f},
      {0, -0.25f, 0.65f, 0.65f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "style " << c.style << " size " << c.size);
    const auto b = Measure(CapturePolygons([&] { font.Yaz(600, 100, 200, c.style, c.size, "A"); }));
    EXPECT_NEAR(100.0f, b.x0, 1e-3f);
    EXPECT_NEAR(100.0f + 16.0f * c.scaleX, b.x1, 1e-3f);
    EXPECT_NEAR(400.0f, b.y0, 1e-3f);  // 200 below the top edge of 600
    EXPECT_NEAR(400.0f + 16.0f * c.scaleY, b.y1, 1e-3f);
  }
  LeavePixelSpace();
}

TEST_F(FontTest, TwoDimensionalModeSavesTheProjectionOnlyAndSetsTheOverlayState) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(-1, 1, -1, 1, 1, 100);
  GLfloat projection[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  GLint projectionDepth = 0, modelviewDepth = 0;
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projectionDepth);
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelviewDepth);
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(1, 2, 3);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);

  font.Ekrana2BCizimyap(1, 1024, 768);
  GLint depth = 0, mode = 0;
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(projectionDepth + 1, depth);
  EXPECT_EQ(GL_MODELVIEW, mode);
  GLfloat m[16];
  glGetFloatv(GL_PROJECTION_MATRIX, m);
  EXPECT_FLOAT_EQ(2.0f / 1024.0f, m[0]);
  EXPECT_FLOAT_EQ(2.0f / 768.0f, m[5]);
  EXPECT_FLOAT_EQ(-2.0f / 20.0f, m[10]);
  EXPECT_FLOAT_EQ(-1.0f, m[12]);
  EXPECT_FLOAT_EQ(-1.0f, m[13]);
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_FLOAT_EQ(0.0f, m[12]);
  EXPECT_FLOAT_EQ(0.0f, m[14]);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));

  // Any other mode does nothing.
  font.Ekrana2BCizimyap(2, 1024, 768);
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
  EXPECT_EQ(projectionDepth + 1, depth);
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));

  glEnable(GL_BLEND);
  font.Ekrana2BCizimyap(0, 1024, 768);
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(projectionDepth, depth);
  EXPECT_EQ(GL_MODELVIEW, mode);
  glGetFloatv(GL_PROJECTION_MATRIX, m);
  EXPECT_EQ(0, std::memcmp(projection, m, sizeof m));
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
  EXPECT_EQ(modelviewDepth, depth);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));  // stays on after leaving
  EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}

TEST_F(FontTest, KapatDeletesTheLists) {
  CFONTDOKU spare{};
  spare.Giris();
  ASSERT_TRUE(glIsList(spare.listBase + 255));
  spare.Kapat();
  EXPECT_FALSE(glIsList(spare.listBase));
  EXPECT_FALSE(glIsList(spare.listBase + 255));
  EXPECT_TRUE(glIsList(font.listBase));
}

}  // namespace
