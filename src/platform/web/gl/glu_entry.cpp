// The two GLU calls the demo makes.
#include <GL/gl.h>
#include <GL/glu.h>

#include "raster.h"

extern "C" {

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
  webgl11::Mat4 m;
  if (webgl11::Perspective(fovy, aspect, zNear, zFar, &m)) webgl11::Pipeline().MultMatrix(m);
}

GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height, GLenum format,
                        GLenum type, const void* data) {
  (void)internalFormat;  // the texture keeps the layout of the data: RGB stays RGB
  if (target != GL_TEXTURE_2D || type != GL_UNSIGNED_BYTE || !data) return GLU_INVALID_ENUM;
  if (width <= 0 || height <= 0 || (width & (width - 1)) != 0 || (height & (height - 1)) != 0) {
    return GLU_INVALID_VALUE;  // only power-of-two images are built here, all the demo has
  }
  int components = 0;
  if (format == GL_RGB) components = 3;
  if (format == GL_RGBA) components = 4;
  if (components == 0) return GLU_INVALID_ENUM;
  webgl11::raster::TexImageChain(static_cast<const unsigned char*>(data), width, height, components);
  return 0;
}

}  // extern "C"
