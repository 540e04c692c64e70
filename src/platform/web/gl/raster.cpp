#include "raster.h"

#include <webgl/webgl1.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "mipmaps.h"

// The layer defines glEnable and the rest itself, so WebGL is reached through the
// emscripten_gl* names, which emscripten's WebGL library provides beside the plain ones.

namespace webgl11 {

FixedFunction& Pipeline() {
  static FixedFunction pipeline;
  return pipeline;
}

namespace raster {

namespace {

constexpr GLuint kPositionAttribute = 0;
constexpr GLuint kColorAttribute = 1;
constexpr GLuint kTexCoordAttribute = 2;

const char* const kVertexShader = R"(
attribute vec4 aPosition;
attribute vec4 aColor;
attribute vec2 aTexCoord;
varying vec4 vColor;
varying vec2 vTexCoord;
void main() {
  gl_Position = aPosition;
  vColor = aColor;
  vTexCoord = aTexCoord;
}
)";

// High precision where there is any: the scrolling strip's texture coordinates run up to 70.
const char* const kFragmentShader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
varying vec4 vColor;
varying vec2 vTexCoord;
uniform sampler2D uTexture;
uniform float uTextured;
void main() {
  vec4 colour = vColor;
  if (uTextured > 0.5) colour *= texture2D(uTexture, vTexCoord);
  gl_FragColor = colour;
}
)";

struct State {
  bool ready = false;
  GLuint program = 0;
  GLuint buffer = 0;
  GLint texturedUniform = -1;
  std::size_t bufferBytes = 0;

  bool blend = false;
  bool depthTest = false;
  bool cullFace = false;
  bool polygonOffsetFill = false;
  bool texture2d = false;
  GLenum blendSource = GL_ONE;
  GLenum blendDestination = GL_ZERO;
  GLenum depthFunc = GL_LESS;
  GLenum cullFaceMode = GL_BACK;
  GLenum frontFace = GL_CCW;
  float offsetFactor = 0.0f;
  float offsetUnits = 0.0f;
  GLint viewport[4] = {0, 0, 0, 0};
  GLuint boundTexture = 0;
  int packAlignment = 4;
};

State& S() {
  static State state;
  return state;
}

GLuint CompileShader(GLenum type, const char* source) {
  const GLuint shader = emscripten_glCreateShader(type);
  emscripten_glShaderSource(shader, 1, &source, nullptr);
  emscripten_glCompileShader(shader);
  return shader;
}

void Toggle(GLenum cap, bool on) {
  if (on) {
    emscripten_glEnable(cap);
  } else {
    emscripten_glDisable(cap);
  }
}

// Draws the pending triangles before a state they were made under changes.
template <typename T>
bool Change(T& current, const T& wanted) {
  if (current == wanted) return false;
  DrawPending();
  current = wanted;
  return true;
}

}  // namespace

void Init() {
  State& s = S();
  s = State{};
  const GLuint vertex = CompileShader(GL_VERTEX_SHADER, kVertexShader);
  const GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, kFragmentShader);
  s.program = emscripten_glCreateProgram();
  emscripten_glAttachShader(s.program, vertex);
  emscripten_glAttachShader(s.program, fragment);
  emscripten_glBindAttribLocation(s.program, kPositionAttribute, "aPosition");
  emscripten_glBindAttribLocation(s.program, kColorAttribute, "aColor");
  emscripten_glBindAttribLocation(s.program, kTexCoordAttribute, "aTexCoord");
  emscripten_glLinkProgram(s.program);
  emscripten_glUseProgram(s.program);
  emscripten_glUniform1i(emscripten_glGetUniformLocation(s.program, "uTexture"), 0);
  s.texturedUniform = emscripten_glGetUniformLocation(s.program, "uTextured");
  emscripten_glUniform1f(s.texturedUniform, 0.0f);

  emscripten_glGenBuffers(1, &s.buffer);
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, s.buffer);
  const GLsizei stride = sizeof(ClipVertex);
  emscripten_glEnableVertexAttribArray(kPositionAttribute);
  emscripten_glEnableVertexAttribArray(kColorAttribute);
  emscripten_glEnableVertexAttribArray(kTexCoordAttribute);
  emscripten_glVertexAttribPointer(kPositionAttribute, 4, GL_FLOAT, GL_FALSE, stride,
                                   reinterpret_cast<const void*>(offsetof(ClipVertex, x)));
  emscripten_glVertexAttribPointer(kColorAttribute, 4, GL_FLOAT, GL_FALSE, stride,
                                   reinterpret_cast<const void*>(offsetof(ClipVertex, r)));
  emscripten_glVertexAttribPointer(kTexCoordAttribute, 2, GL_FLOAT, GL_FALSE, stride,
                                   reinterpret_cast<const void*>(offsetof(ClipVertex, s)));

  // GL 1.1's defaults, which are WebGL's too; set anyway so the record above holds.
  emscripten_glDisable(GL_BLEND);
  emscripten_glDisable(GL_DEPTH_TEST);
  emscripten_glDisable(GL_CULL_FACE);
  emscripten_glDisable(GL_POLYGON_OFFSET_FILL);
  emscripten_glBlendFunc(GL_ONE, GL_ZERO);
  emscripten_glDepthFunc(GL_LESS);
  emscripten_glCullFace(GL_BACK);
  emscripten_glFrontFace(GL_CCW);
  emscripten_glPolygonOffset(0.0f, 0.0f);
  emscripten_glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  emscripten_glClearDepthf(1.0f);
  emscripten_glDepthMask(GL_TRUE);
  emscripten_glActiveTexture(GL_TEXTURE0);
  // Mip levels are packed tightly; a 1x1 RGB level has rows of 3 bytes.
  emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  emscripten_glGetIntegerv(GL_VIEWPORT, s.viewport);
  s.ready = true;
}

void DrawPending() {
  std::vector<ClipVertex>& triangles = Pipeline().Triangles();
  State& s = S();
  if (triangles.empty()) return;
  if (!s.ready) {
    triangles.clear();
    return;
  }
  const std::size_t bytes = triangles.size() * sizeof(ClipVertex);
  // One buffer, regrown when a batch outgrows it, refilled for every batch.
  if (bytes > s.bufferBytes) {
    s.bufferBytes = bytes * 2;
    emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(s.bufferBytes), nullptr, GL_DYNAMIC_DRAW);
  }
  emscripten_glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes), triangles.data());
  emscripten_glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(triangles.size()));
  triangles.clear();
}

void SetCapability(unsigned cap, bool on) {
  State& s = S();
  switch (cap) {
    case GL_BLEND:
      if (Change(s.blend, on)) Toggle(GL_BLEND, on);
      break;
    case GL_DEPTH_TEST:
      if (Change(s.depthTest, on)) Toggle(GL_DEPTH_TEST, on);
      break;
    case GL_CULL_FACE:
      if (Change(s.cullFace, on)) Toggle(GL_CULL_FACE, on);
      break;
    case GL_POLYGON_OFFSET_FILL:
      if (Change(s.polygonOffsetFill, on)) Toggle(GL_POLYGON_OFFSET_FILL, on);
      break;
    case GL_TEXTURE_2D:
      if (Change(s.texture2d, on) && s.ready) emscripten_glUniform1f(s.texturedUniform, on ? 1.0f : 0.0f);
      break;
    default:
      break;
  }
}

void BlendFunc(unsigned source, unsigned destination) {
  State& s = S();
  const bool a = Change(s.blendSource, GLenum(source));
  const bool b = Change(s.blendDestination, GLenum(destination));
  if (a || b) emscripten_glBlendFunc(source, destination);
}

void DepthFunc(unsigned func) {
  if (Change(S().depthFunc, GLenum(func))) emscripten_glDepthFunc(func);
}

void CullFace(unsigned face) {
  if (Change(S().cullFaceMode, GLenum(face))) emscripten_glCullFace(face);
}

void FrontFace(unsigned mode) {
  if (Change(S().frontFace, GLenum(mode))) emscripten_glFrontFace(mode);
}

void PolygonOffset(float factor, float units) {
  State& s = S();
  const bool a = Change(s.offsetFactor, factor);
  const bool b = Change(s.offsetUnits, units);
  if (a || b) emscripten_glPolygonOffset(factor, units);
}

void Viewport(int x, int y, int width, int height) {
  State& s = S();
  const GLint wanted[4] = {x, y, width, height};
  if (std::memcmp(s.viewport, wanted, sizeof wanted) == 0) return;
  DrawPending();
  std::memcpy(s.viewport, wanted, sizeof wanted);
  emscripten_glViewport(x, y, width, height);
}

void ClearColor(float r, float g, float b, float a) { emscripten_glClearColor(r, g, b, a); }

void ClearDepth(float depth) { emscripten_glClearDepthf(depth); }

void Clear(unsigned mask) {
  DrawPending();
  emscripten_glClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT));
}

void GenTextures(int n, unsigned* names) {
  if (n > 0 && names) emscripten_glGenTextures(n, names);
}

void BindTexture(unsigned target, unsigned name) {
  if (target != GL_TEXTURE_2D) return;
  if (Change(S().boundTexture, GLuint(name))) emscripten_glBindTexture(GL_TEXTURE_2D, name);
}

void TexParameteri(unsigned target, unsigned pname, int param) {
  DrawPending();
  emscripten_glTexParameteri(target, pname, param);
}

void TexImageChain(const unsigned char* pixels, int width, int height, int components) {
  DrawPending();
  const GLenum format = components == 4 ? GL_RGBA : GL_RGB;
  const std::vector<MipLevel> chain = BoxFilterChain(pixels, width, height, components);
  for (std::size_t level = 0; level < chain.size(); ++level) {
    const MipLevel& m = chain[level];
    emscripten_glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), static_cast<GLint>(format), m.width, m.height, 0,
                            format, GL_UNSIGNED_BYTE, m.pixels.data());
  }
}

void PackAlignment(int alignment) {
  if (alignment == 1 || alignment == 2 || alignment == 4 || alignment == 8) S().packAlignment = alignment;
}

void ReadPixels(int x, int y, int width, int height, unsigned format, void* pixels) {
  if (!pixels || width <= 0 || height <= 0) return;
  DrawPending();
  // WebGL 1 reads RGBA bytes only; the caller's rows are cut down to its format and alignment.
  std::vector<unsigned char> rgba(std::size_t(width) * std::size_t(height) * 4);
  emscripten_glPixelStorei(GL_PACK_ALIGNMENT, 4);
  emscripten_glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  const std::size_t components = format == GL_RGBA ? 4 : 3;
  const std::size_t align = std::size_t(S().packAlignment);
  const std::size_t rowBytes = (std::size_t(width) * components + align - 1) / align * align;
  auto* out = static_cast<unsigned char*>(pixels);
  for (int row = 0; row < height; ++row) {
    const unsigned char* from = rgba.data() + std::size_t(row) * std::size_t(width) * 4;
    unsigned char* to = out + std::size_t(row) * rowBytes;
    for (int col = 0; col < width; ++col) {
      std::memcpy(to + std::size_t(col) * components, from + std::size_t(col) * 4, components);
    }
  }
}

void Flush() {
  DrawPending();
  emscripten_glFlush();
}

void Finish() {
  DrawPending();
  emscripten_glFinish();
}

}  // namespace raster
}  // namespace webgl11
