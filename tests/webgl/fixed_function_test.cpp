// The browser's GL layer does its vertex work on the CPU. Here every case sets the same state and
// sends the same vertices to Mesa and to that pipeline, and the two must agree on where each
// vertex lands, its lit colour and its texture coordinate.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fixed_function.h"
#include "mipmaps.h"
#include "models/feedback.h"
#include "support/gl_context.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// Both sides work in single precision but not in the same order (Mesa multiplies by the
// combined model-view-projection matrix, uses its own inverse and approximate pow), so they
// agree to a few units in the last place: measured at most 6e-5 pixels, 1.2e-7 in depth,
// 2.4e-7 in colour and 1.2e-7 in texture coordinates. The tolerances leave room for other Mesa
// versions and stay far below what a picture can show:
// a thousandth of a pixel;
constexpr float kPixelTolerance = 1.0e-3f;
// a fortieth of a step of the 16-bit depth buffer;
constexpr float kDepthTolerance = 4.0e-7f;
// a fortieth of one 8-bit colour step;
constexpr float kColourTolerance = 1.0e-4f;
// a four-hundredth of a texel of the 256-texel images.
constexpr float kTexCoordTolerance = 1.0e-5f;

// One set of calls, made on Mesa or on the layer's pipeline.
struct Api {
  virtual ~Api() = default;
  virtual void MatrixMode(GLenum mode) = 0;
  virtual void LoadIdentity() = 0;
  virtual void Push() = 0;
  virtual void Pop() = 0;
  virtual void Translate(float x, float y, float z) = 0;
  virtual void Rotate(float a, float x, float y, float z) = 0;
  virtual void Scale(float x, float y, float z) = 0;
  virtual void Ortho(double l, double r, double b, double t, double n, double f) = 0;
  virtual void Frustum(double l, double r, double b, double t, double n, double f) = 0;
  virtual void Perspective(double fovy, double aspect, double n, double f) = 0;
  virtual void Enable(GLenum cap, bool on) = 0;
  virtual void Light(GLenum pname, const float* v) = 0;
  virtual void LightModelAmbient(const float* v) = 0;
  virtual void Material(GLenum pname, const float* v) = 0;
  virtual void SphereMap() = 0;  // both coordinates, and texturing on
  virtual void Color(float r, float g, float b) = 0;
  virtual void Normal(float x, float y, float z) = 0;
  virtual void TexCoord(float s, float t) = 0;
  virtual void Begin(GLenum mode) = 0;
  virtual void Vertex(float x, float y, float z) = 0;
  virtual void End() = 0;
  virtual void Glyphs(const char* text) = 0;  // display lists: see GlyphListsOn
};

struct Mesa : Api {
  GLuint listBase = 0;
  GLuint texture = 0;
  void MatrixMode(GLenum mode) override { glMatrixMode(mode); }
  void LoadIdentity() override { glLoadIdentity(); }
  void Push() override { glPushMatrix(); }
  void Pop() override { glPopMatrix(); }
  void Translate(float x, float y, float z) override { glTranslatef(x, y, z); }
  void Rotate(float a, float x, float y, float z) override { glRotatef(a, x, y, z); }
  void Scale(float x, float y, float z) override { glScalef(x, y, z); }
  void Ortho(double l, double r, double b, double t, double n, double f) override { glOrtho(l, r, b, t, n, f); }
  void Frustum(double l, double r, double b, double t, double n, double f) override { glFrustum(l, r, b, t, n, f); }
  void Perspective(double fovy, double aspect, double n, double f) override { gluPerspective(fovy, aspect, n, f); }
  void Enable(GLenum cap, bool on) override { on ? glEnable(cap) : glDisable(cap); }
  void Light(GLenum pname, const float* v) override { glLightfv(GL_LIGHT0, pname, v); }
  void LightModelAmbient(const float* v) override { glLightModelfv(GL_LIGHT_MODEL_AMBIENT, v); }
  void Material(GLenum pname, const float* v) override { glMaterialfv(GL_FRONT_AND_BACK, pname, v); }
  void SphereMap() override {
    glTexGenf(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGenf(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    // Mesa generates coordinates only for a unit that textures.
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_TEXTURE_2D);
  }
  void Color(float r, float g, float b) override { glColor3f(r, g, b); }
  void Normal(float x, float y, float z) override { glNormal3f(x, y, z); }
  void TexCoord(float s, float t) override { glTexCoord2f(s, t); }
  void Begin(GLenum mode) override { glBegin(mode); }
  void Vertex(float x, float y, float z) override { glVertex3f(x, y, z); }
  void End() override { glEnd(); }
  void Glyphs(const char* text) override {
    glListBase(listBase);
    glCallLists(GLsizei(std::string(text).size()), GL_UNSIGNED_BYTE, text);
  }
};

struct Layer : Api {
  webgl11::FixedFunction p;
  unsigned listBase = 0;
  void MatrixMode(GLenum mode) override { p.MatrixMode(mode); }
  void LoadIdentity() override { p.LoadIdentity(); }
  void Push() override { p.PushMatrix(); }
  void Pop() override { p.PopMatrix(); }
  void Translate(float x, float y, float z) override { p.Translate(x, y, z); }
  void Rotate(float a, float x, float y, float z) override { p.Rotate(a, x, y, z); }
  void Scale(float x, float y, float z) override { p.Scale(x, y, z); }
  void Ortho(double l, double r, double b, double t, double n, double f) override {
    p.MultMatrix(webgl11::Ortho(l, r, b, t, n, f));
  }
  void Frustum(double l, double r, double b, double t, double n, double f) override {
    p.MultMatrix(webgl11::Frustum(l, r, b, t, n, f));
  }
  void Perspective(double fovy, double aspect, double n, double f) override {
    webgl11::Mat4 m;
    if (webgl11::Perspective(fovy, aspect, n, f, &m)) p.MultMatrix(m);
  }
  void Enable(GLenum cap, bool on) override { p.SetCapability(cap, on); }
  void Light(GLenum pname, const float* v) override { p.Light(GL_LIGHT0, pname, v); }
  void LightModelAmbient(const float* v) override { p.LightModelAmbient(v); }
  void Material(GLenum pname, const float* v) override { p.Material(pname, v); }
  void SphereMap() override {
    p.TexGenMode(GL_S, GL_SPHERE_MAP);
    p.TexGenMode(GL_T, GL_SPHERE_MAP);
  }
  void Color(float r, float g, float b) override { p.Color(r, g, b, 1.0f); }
  void Normal(float x, float y, float z) override { p.Normal(x, y, z); }
  void TexCoord(float s, float t) override { p.TexCoord(s, t); }
  void Begin(GLenum mode) override { p.Begin(mode); }
  void Vertex(float x, float y, float z) override { p.Vertex(x, y, z); }
  void End() override { p.End(); }
  void Glyphs(const char* text) override {
    p.ListBase(listBase);
    p.CallLists(int(std::string(text).size()), GL_UNSIGNED_BYTE, text);
  }
};

// The demo's start-up state: its light, taken under an identity model-view, and its material
// with colour tracking on.
void DemoLightAndMaterial(Api& gl) {
  const float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  const float diffuse[4] = {0.8f, 0.8f, 0.7f, 1.0f};
  const float position[4] = {0.0f, 100.0f, 0.0f, 0.0f};
  const float specular[4] = {0.5f, 0.5f, 0.5f, 1.0f};
  const float materialAmbientDiffuse[4] = {0.9f, 0.9f, 0.8f, 1.0f};
  const float materialSpecular[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  const float shininess = 64.0f;
  const float emission[4] = {0.1f, 0.1f, 0.1f, 1.0f};
  gl.Light(GL_AMBIENT, ambient);
  gl.Light(GL_DIFFUSE, diffuse);
  gl.Light(GL_POSITION, position);
  gl.Light(GL_SPECULAR, specular);
  gl.Enable(GL_LIGHT0, true);
  gl.LightModelAmbient(ambient);
  gl.Enable(GL_LIGHTING, true);
  gl.Material(GL_AMBIENT_AND_DIFFUSE, materialAmbientDiffuse);
  gl.Material(GL_SPECULAR, materialSpecular);
  gl.Material(GL_SHININESS, &shininess);
  gl.Material(GL_EMISSION, emission);
  gl.Enable(GL_COLOR_MATERIAL, true);
  gl.Enable(GL_NORMALIZE, true);
}

void DemoProjection(Api& gl) {
  gl.MatrixMode(GL_PROJECTION);
  gl.LoadIdentity();
  gl.Perspective(50.0, 800.0 / 600.0, 5.0, 10000.0);
  gl.MatrixMode(GL_MODELVIEW);
  gl.LoadIdentity();
}

// A fan of triangles around the origin of the current model space, each corner with its own
// normal (some towards the light, some away, one along the half vector) and, unless the
// current colour is to stay, its own colour.
void Fan(Api& gl, float size, bool ownColours = true) {
  const float normals[][3] = {{0, 1, 0},    {0, 1, 1},    {0.3f, 0.8f, 0.5f}, {1, 0, 0},  {0, -1, 0},
                              {-1, 0.2f, 0}, {0, 0, -1}, {0.5f, 0.5f, 0.7f}, {2, 3, -1}, {0, 0.05f, 1}};
  const float colours[][3] = {{1, 1, 1}, {1, 0, 0}, {0, 1, 1}, {0.5f, 0.25f, 1}};
  gl.Begin(GL_TRIANGLES);
  for (int k = 0; k < 10; ++k) {
    const float corners[3][2] = {{0.0f, 0.0f}, {float(k % 5) - 2.0f, 1.0f + float(k / 5)}, {float(k % 5) - 1.5f, -1.0f}};
    for (int c = 0; c < 3; ++c) {
      const float* n = normals[(k + c) % 10];
      const float* rgb = colours[(k + 2 * c) % 4];
      if (ownColours) gl.Color(rgb[0], rgb[1], rgb[2]);
      gl.Normal(n[0], n[1], n[2]);
      gl.TexCoord(0.1f * float(k), 0.3f * float(c));
      gl.Vertex(size * corners[c][0], size * corners[c][1], size * 0.3f * float(c - 1));
    }
  }
  gl.End();
}

// Two lit quads with a colour per corner, so the diagonal they are cut on shows.
void Quads(Api& gl) {
  const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  const float colours[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}};
  gl.Begin(GL_QUADS);
  for (int q = 0; q < 2; ++q) {
    for (int c = 0; c < 4; ++c) {
      gl.Color(colours[c][0], colours[c][1], colours[c][2]);
      gl.Normal(0.2f * float(c), 1.0f, 0.5f);
      gl.TexCoord(float(c), float(q));
      gl.Vertex(30.0f * corners[c][0] + 70.0f * float(q), 20.0f * corners[c][1], 5.0f * float(c));
    }
  }
  gl.End();
}

// Compiles one glyph per list as the font does: a textured shape, then a move to the next place.
void GlyphListsOn(Api& gl, GLuint base, bool mesa) {
  for (int c = 0; c < 3; ++c) {
    if (mesa) {
      glNewList(base + GLuint('a' + c), GL_COMPILE);
    } else {
      static_cast<Layer&>(gl).p.NewList(base + unsigned('a' + c));
    }
    gl.Begin(GL_TRIANGLES);
    gl.TexCoord(0.0625f * float(c), 0.5f);
    gl.Vertex(0.0f, 0.0f, 0.0f);
    gl.TexCoord(0.0625f * float(c + 1), 0.5f);
    gl.Vertex(16.0f, 0.0f, 0.0f);
    gl.TexCoord(0.0625f * float(c), 0.5625f);
    gl.Vertex(float(4 * c), 16.0f, 0.0f);
    gl.End();
    gl.Translate(10.0f, 0.0f, 0.0f);
    if (mesa) {
      glEndList();
    } else {
      static_cast<Layer&>(gl).p.EndList();
    }
  }
}

struct Case {
  const char* name;
  std::function<void(Api&)> draw;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"demo light and material, camera, turn and scale",
       [](Api& gl) {
         DemoProjection(gl);
         DemoLightAndMaterial(gl);
         gl.Translate(-70.0f, 0.0f, -300.0f);
         gl.Rotate(30.0f, 0.0f, 1.0f, 0.0f);
         gl.Scale(2.0f, 2.0f, 2.0f);
         Fan(gl, 20.0f);
       }},
      {"tiny boxes turned about the diagonal: normals rescaled by GL_NORMALIZE",
       [](Api& gl) {
         DemoProjection(gl);
         DemoLightAndMaterial(gl);
         gl.Translate(20.0f, -30.0f, -250.0f);
         gl.Rotate(-47.5f, 1.0f, 1.0f, 1.0f);
         gl.Scale(0.011f, 0.013f, 0.012f);
         Fan(gl, 3000.0f);
       }},
      {"colour material as a first frame finds it: the material until the colour changes",
       [](Api& gl) {
         DemoProjection(gl);
         DemoLightAndMaterial(gl);
         gl.Translate(-10.0f, 0.0f, -200.0f);
         gl.Color(1.0f, 1.0f, 1.0f);  // the colour it already was
         Fan(gl, 20.0f, false);
         gl.Color(1.0f, 0.0f, 0.0f);
         Fan(gl, 20.0f, false);
         gl.Color(1.0f, 1.0f, 1.0f);
         Fan(gl, 20.0f, false);
         // A colour set while tracking is off is not taken when it is turned on again.
         gl.Enable(GL_COLOR_MATERIAL, false);
         gl.Color(0.5f, 0.5f, 1.0f);
         gl.Enable(GL_COLOR_MATERIAL, true);
         Fan(gl, 20.0f, false);
       }},
      {"light placed under a turned model-view, material without colour tracking",
       [](Api& gl) {
         DemoProjection(gl);
         gl.Rotate(70.0f, 1.0f, 0.0f, 0.0f);
         DemoLightAndMaterial(gl);
         gl.Enable(GL_COLOR_MATERIAL, false);
         const float bluish[4] = {0.6f, 0.7f, 0.9f, 0.5f};
         gl.Material(GL_AMBIENT_AND_DIFFUSE, bluish);
         gl.LoadIdentity();
         gl.Translate(0.0f, 0.0f, -200.0f);
         gl.Rotate(15.0f, 0.0f, 0.0f, 1.0f);
         Fan(gl, 30.0f);
       }},
      {"sphere map with lighting, field boxes at several places",
       [](Api& gl) {
         DemoProjection(gl);
         DemoLightAndMaterial(gl);
         gl.SphereMap();
         gl.Enable(GL_TEXTURE_GEN_S, true);
         gl.Enable(GL_TEXTURE_GEN_T, true);
         const float places[][3] = {{-100, -90, -400}, {60, 40, -300}, {10, 5, -150}, {150, -120, -600}};
         for (const auto& at : places) {
           gl.Push();
           gl.Translate(at[0], at[1], at[2]);
           gl.Rotate(at[0] * 0.7f, 0.0f, 1.0f, 0.0f);
           Fan(gl, 15.0f);
           gl.Pop();
         }
       }},
      {"sphere map unlit, normals not normalised",
       [](Api& gl) {
         DemoProjection(gl);
         gl.SphereMap();
         gl.Enable(GL_TEXTURE_GEN_S, true);
         gl.Enable(GL_TEXTURE_GEN_T, true);
         gl.Translate(-30.0f, 10.0f, -120.0f);
         gl.Rotate(25.0f, 1.0f, 1.0f, 0.0f);
         Fan(gl, 10.0f);
       }},
      {"glOrtho of the 2D overlays, unlit",
       [](Api& gl) {
         gl.MatrixMode(GL_PROJECTION);
         gl.LoadIdentity();
         gl.Push();
         gl.LoadIdentity();
         gl.Ortho(0.0, 1024.0, 0.0, 768.0, -10.0, 10.0);
         gl.MatrixMode(GL_MODELVIEW);
         gl.LoadIdentity();
         gl.Translate(400.0f, 300.0f, 0.0f);
         gl.Scale(2.5f, 2.5f, 0.5f);  // inside the depth range: nothing clipped
         Fan(gl, 25.0f);
       }},
      {"quads cut into two triangles each",
       [](Api& gl) {
         DemoProjection(gl);
         DemoLightAndMaterial(gl);
         gl.Translate(0.0f, 0.0f, -250.0f);
         gl.Rotate(-30.0f, 1.0f, 0.0f, 0.0f);
         Quads(gl);
       }},
      {"glFrustum, and push and pop on both stacks",
       [](Api& gl) {
         gl.MatrixMode(GL_PROJECTION);
         gl.LoadIdentity();
         gl.Frustum(-1.0, 1.5, -0.75, 0.8, 2.0, 500.0);
         gl.Push();
         gl.Ortho(-5.0, 5.0, -5.0, 5.0, -1.0, 1.0);  // popped before anything is drawn
         gl.Pop();
         gl.MatrixMode(GL_MODELVIEW);
         gl.LoadIdentity();
         gl.Translate(5.0f, 0.0f, -100.0f);
         gl.Push();
         gl.Translate(20.0f, 10.0f, 0.0f);
         gl.Rotate(40.0f, 0.0f, 0.0f, 1.0f);
         Fan(gl, 5.0f);
         gl.Pop();
         Fan(gl, 4.0f);  // the placement before the push again
       }},
  };
  return cases;
}

struct Vertex {
  float x, y, z, r, g, b, a, s, t;
};

std::vector<Vertex> FromMesa(const std::vector<testsupport::FeedbackPolygon>& polygons) {
  std::vector<Vertex> out;
  for (const auto& p : polygons) {
    for (const auto& v : p.vertices) out.push_back(Vertex{v.x, v.y, v.z, v.r, v.g, v.b, v.a, v.s, v.t});
  }
  return out;
}

std::vector<Vertex> FromLayer(const std::vector<webgl11::ClipVertex>& triangles) {
  std::vector<Vertex> out;
  for (const auto& v : triangles) {
    // The viewport transform GL applies: the whole 800x600 window, depth range [0, 1].
    out.push_back(Vertex{(v.x / v.w + 1.0f) * 0.5f * kWidth, (v.y / v.w + 1.0f) * 0.5f * kHeight,
                         (v.z / v.w + 1.0f) * 0.5f, v.r, v.g, v.b, v.a, v.s, v.t});
  }
  return out;
}

void ExpectSame(const std::vector<Vertex>& mesa, const std::vector<Vertex>& layer, const std::string& what) {
  ASSERT_EQ(mesa.size(), layer.size()) << what;
  ASSERT_FALSE(mesa.empty()) << what;
  for (std::size_t i = 0; i < mesa.size(); ++i) {
    const Vertex& m = mesa[i];
    const Vertex& l = layer[i];
    const std::string at = what + ", vertex " + std::to_string(i);
    EXPECT_NEAR(m.x, l.x, kPixelTolerance) << at;
    EXPECT_NEAR(m.y, l.y, kPixelTolerance) << at;
    EXPECT_NEAR(m.z, l.z, kDepthTolerance) << at;
    EXPECT_NEAR(m.r, l.r, kColourTolerance) << at;
    EXPECT_NEAR(m.g, l.g, kColourTolerance) << at;
    EXPECT_NEAR(m.b, l.b, kColourTolerance) << at;
    EXPECT_NEAR(m.a, l.a, kColourTolerance) << at;
    EXPECT_NEAR(m.s, l.s, kTexCoordTolerance) << at;
    EXPECT_NEAR(m.t, l.t, kTexCoordTolerance) << at;
  }
}

// GL's state as the demo leaves it before set-up, so each case starts from the same place.
void ResetMesa() {
  glViewport(0, 0, kWidth, kHeight);
  const GLenum caps[] = {GL_LIGHTING, GL_LIGHT0, GL_COLOR_MATERIAL, GL_NORMALIZE, GL_TEXTURE_GEN_S,
                         GL_TEXTURE_GEN_T, GL_CULL_FACE, GL_DEPTH_TEST, GL_TEXTURE_2D};
  for (GLenum cap : caps) glDisable(cap);
  const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  const float lightAt[4] = {0.0f, 0.0f, 1.0f, 0.0f};
  const float modelAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  const float materialAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  const float materialDiffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glLightfv(GL_LIGHT0, GL_AMBIENT, black);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
  glLightfv(GL_LIGHT0, GL_SPECULAR, white);
  glLightfv(GL_LIGHT0, GL_POSITION, lightAt);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, modelAmbient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, materialAmbient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, materialDiffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 0.0f);
  glColor3f(1.0f, 1.0f, 1.0f);
  glNormal3f(0.0f, 0.0f, 1.0f);
  glTexCoord2f(0.0f, 0.0f);
  for (GLenum mode : {GL_PROJECTION, GL_MODELVIEW}) {
    glMatrixMode(mode);
    GLint depth = 1;
    glGetIntegerv(mode == GL_PROJECTION ? GL_PROJECTION_STACK_DEPTH : GL_MODELVIEW_STACK_DEPTH, &depth);
    for (; depth > 1; --depth) glPopMatrix();
    glLoadIdentity();
  }
}

class LayerAgainstMesa : public ::testing::TestWithParam<std::size_t> {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(testsupport::EnsureGLContext(&why)) << why;
    ResetMesa();
  }
};

TEST_P(LayerAgainstMesa, PlacesLightsAndMapsEveryVertexAsMesaDoes) {
  const Case& c = Cases()[GetParam()];
  Mesa mesa;
  // A small complete texture, so that Mesa's unit textures.
  const unsigned char texel[3] = {255, 255, 255};
  glGenTextures(1, &mesa.texture);
  glBindTexture(GL_TEXTURE_2D, mesa.texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
  bool overflow = false;
  const auto expected = FromMesa(testsupport::CapturePolygons([&] { c.draw(mesa); }, &overflow));
  ASSERT_FALSE(overflow);
  ASSERT_EQ(GLenum(GL_NO_ERROR), glGetError()) << c.name;
  glDeleteTextures(1, &mesa.texture);
  Layer layer;
  c.draw(layer);
  ExpectSame(expected, FromLayer(layer.p.Triangles()), c.name);
}

INSTANTIATE_TEST_SUITE_P(Cases, LayerAgainstMesa, ::testing::Range<std::size_t>(0, 9));

TEST(LayerAgainstMesaLists, ReplaysGlyphListsWithTheirMovesAtCallTime) {
  std::string why;
  ASSERT_TRUE(testsupport::EnsureGLContext(&why)) << why;
  ResetMesa();
  Mesa mesa;
  mesa.listBase = glGenLists(256);
  GlyphListsOn(mesa, mesa.listBase, true);
  Layer layer;
  layer.listBase = layer.p.GenLists(256);
  GlyphListsOn(layer, layer.listBase, false);
  // Compiling draws nothing and moves nothing.
  EXPECT_TRUE(layer.p.Triangles().empty());

  auto draw = [](Api& gl) {
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    gl.Ortho(0.0, 1024.0, 0.0, 768.0, -10.0, 10.0);
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    gl.Color(1.0f, 1.0f, 1.0f);
    gl.Push();
    gl.Translate(50.0f, 400.0f, 0.0f);
    gl.Scale(1.7f, 1.7f, 1.7f);
    gl.Glyphs("abzcba");  // no list for 'z': skipped, no move
    gl.Pop();
    gl.Translate(300.0f, 100.0f, 0.0f);
    gl.Glyphs("c");
  };
  const auto expected = FromMesa(testsupport::CapturePolygons([&] { draw(mesa); }));
  draw(layer);
  glDeleteLists(mesa.listBase, 256);
  ASSERT_EQ(18u, expected.size());
  ExpectSame(expected, FromLayer(layer.p.Triangles()), "glyph lists");
}

}  // namespace

namespace {

TEST(LayerMipmaps, EveryLevelEqualsWhatGluBuildsWithMesa) {
  std::string why;
  ASSERT_TRUE(testsupport::EnsureGLContext(&why)) << why;
  // A busy picture the size of the demo's images: neighbours differ, so any rounding or
  // misplaced texel shows.
  constexpr int kSize = 256;
  std::vector<unsigned char> image(kSize * kSize * 3);
  unsigned state = 12345u;
  for (unsigned char& c : image) {
    state = state * 1103515245u + 12345u;
    c = static_cast<unsigned char>(state >> 23);
  }
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  ASSERT_EQ(0, gluBuild2DMipmaps(GL_TEXTURE_2D, 3, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, image.data()));

  const auto chain = webgl11::BoxFilterChain(image.data(), kSize, kSize, 3);
  ASSERT_EQ(9u, chain.size());  // 256 down to 1
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  for (std::size_t level = 0; level < chain.size(); ++level) {
    const auto& ours = chain[level];
    EXPECT_EQ(kSize >> level, ours.width);
    EXPECT_EQ(kSize >> level, ours.height);
    std::vector<unsigned char> mesa(ours.pixels.size());
    glGetTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGB, GL_UNSIGNED_BYTE, mesa.data());
    EXPECT_EQ(mesa, ours.pixels) << "level " << level;
  }
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glDeleteTextures(1, &texture);
}

}  // namespace
