#include "shell/gl_state.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/platform.h"

namespace {

// What the window's surface is asked for.
struct PixelFormat {
  int color_bits = 0;
  int depth_bits = 16;
  int stencil_bits = 8;  // asked for, never used
};

}  // namespace

void EnableOpenGL(int width, int height, int bits) {
  static PixelFormat pfd;
  static bool pfd_ready = false;
  if (!pfd_ready) {
    pfd.color_bits = bits;
    pfd_ready = true;
  }
  // Without a context every GL call does nothing and the program still runs, so the result
  // changes nothing here.
  platform::CreateGLContext(pfd.color_bits, pfd.depth_bits, pfd.stencil_bits);

  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glShadeModel(GL_SMOOTH);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glEnable(GL_LINE_SMOOTH);
  glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
  glEnable(GL_POLYGON_OFFSET_FILL);
  glPolygonOffset(-0.5f, -0.5f);
  glLineWidth(2.0f);
  glEnable(GL_NORMALIZE);
  glFrontFace(GL_CCW);
  glPolygonMode(GL_FRONT, GL_FILL);
  glReadBuffer(GL_BACK);
  glDrawBuffer(GL_BACK);

  Sahne_tekrarciz(width, height);
}

void DisableOpenGL() {
  platform::RestoreDisplayMode();
  platform::ShowCursor(true);
  platform::ReleaseGLContext();
}

void SetLight() {
  const GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  const GLfloat diffuse[4] = {0.8f, 0.8f, 0.7f, 1.0f};
  // w = 0: a direction, taken while the model-view matrix is the identity, so it stays
  // fixed in eye space whatever the camera does later.
  const GLfloat position[4] = {0.0f, 100.0f, 0.0f, 0.0f};
  const GLfloat specular[4] = {0.5f, 0.5f, 0.5f, 1.0f};
  const GLfloat model_ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_POSITION, position);
  glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
  glEnable(GL_LIGHT0);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, model_ambient);
  glEnable(GL_LIGHTING);
}

void SetMaterial() {
  const GLfloat ambient_and_diffuse[4] = {0.9f, 0.9f, 0.8f, 1.0f};
  const GLfloat specular[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  const GLfloat emission[4] = {0.1f, 0.1f, 0.1f, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, ambient_and_diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 64.0f);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
  glEnable(GL_COLOR_MATERIAL);
}

void Sahne_tekrarciz(int width, int height) {
  if (height == 0) height = 1;
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(50.0, GLdouble(width) / GLdouble(height), 5.0, 10000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}
