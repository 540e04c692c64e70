#include "timeline/scene_fixture.h"

#include <GL/gl.h>

#include <cmath>

#include "scene/scene.h"
#include "shell/gl_state.h"
#include "support/gl_context.h"

namespace timeline_test {

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

void UseDemoPerspective() { Sahne_tekrarciz(kWidth, kHeight); }

}  // namespace

bool PrepareScene(std::string* why) {
  static int state = 0;
  if (state == 0) {
    if (!testsupport::EnsureGLContext(why)) {
      state = -1;
    } else {
      // What the shell's set-up does before the first frame.
      EnableOpenGL(kWidth, kHeight, 16);
      SetLight();
      SetMaterial();
      Sahneinit();
      state = 1;
    }
  }
  if (state < 0 && why && why->empty()) *why = "no GL context";
  return state == 1;
}

void ResetFrameState() {
  UseDemoPerspective();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ZERO);
  glDisable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  dokusalla(0);
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearDepth(1.0);
  while (glGetError() != GL_NO_ERROR) {
  }
}

void UseWideOrtho() {
  glViewport(0, 0, kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-10000.0, 10000.0, -7500.0, 7500.0, -10000.0, 10000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

Primitives Capture(const std::function<void()>& draw) {
  static std::vector<GLfloat> buffer(1u << 23);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  Primitives out;
  EXPECT_GE(used, 0) << "feedback buffer overflow";
  if (used < 0) return out;

  constexpr int kFloatsPerVertex = 11;  // x y z, r g b a, s t r q
  auto vertexAt = [&](GLint at) {
    const GLfloat* v = buffer.data() + at;
    return FeedbackVertex{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]};
  };
  GLint i = 0;
  while (i < used) {
    const auto token = static_cast<GLint>(buffer[i++]);
    int count = 0;
    switch (token) {
      case GL_POLYGON_TOKEN: count = static_cast<int>(buffer[i++]); break;
      case GL_LINE_TOKEN:
      case GL_LINE_RESET_TOKEN: count = 2; break;
      case GL_POINT_TOKEN:
      case GL_BITMAP_TOKEN:
      case GL_DRAW_PIXEL_TOKEN:
      case GL_COPY_PIXEL_TOKEN: count = 1; break;
      case GL_PASS_THROUGH_TOKEN: ++i; continue;
      default: ADD_FAILURE() << "unknown feedback token " << token; return out;
    }
    Primitive p;
    for (int k = 0; k < count; ++k, i += kFloatsPerVertex) p.vertices.push_back(vertexAt(i));
    out.push_back(std::move(p));
  }
  return out;
}

std::vector<size_t> FindAll(const Primitives& haystack, const Primitives& needle, float tolerance) {
  std::vector<size_t> found;
  if (needle.empty() || needle.size() > haystack.size()) return found;
  auto same = [&](const Primitive& a, const Primitive& b) {
    if (a.vertices.size() != b.vertices.size()) return false;
    for (size_t k = 0; k < a.vertices.size(); ++k) {
      const FeedbackVertex& u = a.vertices[k];
      const FeedbackVertex& v = b.vertices[k];
      if (std::fabs(u.x - v.x) > tolerance || std::fabs(u.y - v.y) > tolerance) return false;
      if (std::fabs(u.z - v.z) > tolerance * 1e-3f) return false;
    }
    return true;
  };
  for (size_t at = 0; at + needle.size() <= haystack.size(); ++at) {
    size_t k = 0;
    while (k < needle.size() && same(haystack[at + k], needle[k])) ++k;
    if (k == needle.size()) found.push_back(at);
  }
  return found;
}

std::array<float, 4> CurrentColour() {
  std::array<float, 4> c{};
  glGetFloatv(GL_CURRENT_COLOR, c.data());
  return c;
}

bool IsEnabled(unsigned int capability) { return glIsEnabled(capability) == GL_TRUE; }

int GetInt(unsigned int name) {
  GLint v = 0;
  glGetIntegerv(name, &v);
  return v;
}

void SetClock(float milliseconds) { mytime = milliseconds; }

}  // namespace timeline_test
