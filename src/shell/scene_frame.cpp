#include "shell/scene_frame.h"

#include <GL/gl.h>

#include "scene/clock.h"
#include "scene/setup.h"
#include "scene/timeline.h"
#include "shell/gl_state.h"

void PrepareScene(int width, int height, int bits) {
  EnableOpenGL(width, height, bits);
  SetLight();
  SetMaterial();
  Sahneinit();
}

void DrawSceneAt(float milliseconds) {
  glViewport(0, 0, 800, 600);
  glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  mytime = milliseconds;
  Sahne_Kare(0);
  glViewport(0, 0, 800, 600);
}
