// The GL 1.1 functions the demo calls, with GL's own names and signatures. Vertex work goes to
// the CPU pipeline; what changes rasterising goes to the WebGL side.
#include <GL/gl.h>

#include "raster.h"
#include "webgl11.h"

using webgl11::Pipeline;
namespace raster = webgl11::raster;

namespace webgl11 {

void Init() { raster::Init(); }

}  // namespace webgl11

extern "C" {

void glEnable(GLenum cap) {
  if (!Pipeline().SetCapability(cap, true)) raster::SetCapability(cap, true);
}

void glDisable(GLenum cap) {
  if (!Pipeline().SetCapability(cap, false)) raster::SetCapability(cap, false);
}

// Immediate mode and the current values.
void glBegin(GLenum mode) { Pipeline().Begin(mode); }
void glEnd() { Pipeline().End(); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { Pipeline().Vertex(x, y, z); }
void glVertex2i(GLint x, GLint y) { Pipeline().Vertex(static_cast<float>(x), static_cast<float>(y), 0.0f); }
void glColor3f(GLfloat red, GLfloat green, GLfloat blue) { Pipeline().Color(red, green, blue, 1.0f); }
void glColor4ub(GLubyte red, GLubyte green, GLubyte blue, GLubyte alpha) {
  Pipeline().Color(red / 255.0f, green / 255.0f, blue / 255.0f, alpha / 255.0f);
}
void glNormal3f(GLfloat nx, GLfloat ny, GLfloat nz) { Pipeline().Normal(nx, ny, nz); }
void glTexCoord2f(GLfloat s, GLfloat t) { Pipeline().TexCoord(s, t); }

// Matrices.
void glMatrixMode(GLenum mode) { Pipeline().MatrixMode(mode); }
void glLoadIdentity() { Pipeline().LoadIdentity(); }
void glPushMatrix() { Pipeline().PushMatrix(); }
void glPopMatrix() { Pipeline().PopMatrix(); }
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { Pipeline().Translate(x, y, z); }
void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
  Pipeline().Translate(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) { Pipeline().Rotate(angle, x, y, z); }
void glScalef(GLfloat x, GLfloat y, GLfloat z) { Pipeline().Scale(x, y, z); }
void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near_val, GLdouble far_val) {
  Pipeline().MultMatrix(webgl11::Ortho(left, right, bottom, top, near_val, far_val));
}

// Light and material.
void glLightfv(GLenum light, GLenum pname, const GLfloat* params) { Pipeline().Light(light, pname, params); }
void glLightModelfv(GLenum pname, const GLfloat* params) {
  if (pname == GL_LIGHT_MODEL_AMBIENT) Pipeline().LightModelAmbient(params);
}
void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
  // Two-sided lighting is off, so every face is lit with the front material; the back one is
  // never used.
  if (face == GL_FRONT_AND_BACK || face == GL_FRONT) Pipeline().Material(pname, params);
}
void glMaterialf(GLenum face, GLenum pname, GLfloat param) { glMaterialfv(face, pname, &param); }
void glTexGenf(GLenum coord, GLenum pname, GLfloat param) {
  if (pname == GL_TEXTURE_GEN_MODE) Pipeline().TexGenMode(coord, static_cast<GLenum>(param));
}

// Display lists.
GLuint glGenLists(GLsizei range) { return Pipeline().GenLists(range); }
void glDeleteLists(GLuint list, GLsizei range) { Pipeline().DeleteLists(list, range); }
void glNewList(GLuint list, GLenum mode) {
  if (mode == GL_COMPILE) Pipeline().NewList(list);
}
void glEndList() { Pipeline().EndList(); }
void glListBase(GLuint base) { Pipeline().ListBase(base); }
void glCallLists(GLsizei n, GLenum type, const GLvoid* lists) { Pipeline().CallLists(n, type, lists); }

// Rasterising state.
void glBlendFunc(GLenum sfactor, GLenum dfactor) { raster::BlendFunc(sfactor, dfactor); }
void glDepthFunc(GLenum func) { raster::DepthFunc(func); }
void glCullFace(GLenum mode) { raster::CullFace(mode); }
void glFrontFace(GLenum mode) { raster::FrontFace(mode); }
void glPolygonOffset(GLfloat factor, GLfloat units) { raster::PolygonOffset(factor, units); }
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) { raster::Viewport(x, y, width, height); }
void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
  raster::ClearColor(red, green, blue, alpha);
}
void glClearDepth(GLclampd depth) { raster::ClearDepth(static_cast<float>(depth)); }
void glClear(GLbitfield mask) { raster::Clear(mask); }

// Textures.
void glGenTextures(GLsizei n, GLuint* textures) { raster::GenTextures(n, textures); }
void glBindTexture(GLenum target, GLuint texture) { raster::BindTexture(target, texture); }
void glTexParameteri(GLenum target, GLenum pname, GLint param) { raster::TexParameteri(target, pname, param); }

// Pixels and the end of a frame.
// Only the pack alignment is the caller's: the layer uploads its own tightly packed mip levels.
void glPixelStorei(GLenum pname, GLint param) {
  if (pname == GL_PACK_ALIGNMENT) raster::PackAlignment(param);
}
void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels) {
  if (type == GL_UNSIGNED_BYTE && (format == GL_RGB || format == GL_RGBA)) {
    raster::ReadPixels(x, y, width, height, format, pixels);
  }
}
void glFlush() { raster::Flush(); }
void glFinish() { raster::Finish(); }

// Nothing to do in WebGL, and the picture does not depend on them: smooth shading is what the
// shader does anyway, lines are never drawn, polygons are always filled, and the drawing
// buffer is the one that is read and presented.
void glHint(GLenum, GLenum) {}
void glLineWidth(GLfloat) {}
void glShadeModel(GLenum) {}
void glPolygonMode(GLenum, GLenum) {}
void glReadBuffer(GLenum) {}
void glDrawBuffer(GLenum) {}

}  // extern "C"
