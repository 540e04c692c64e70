// GL 1.1 and the few GLU calls the demo makes, drawn with WebGL 1 on the context that is
// current. The GL functions themselves are defined with C linkage under their own names, so
// the scene's code keeps including <GL/gl.h> and <GL/glu.h>.
#pragma once

namespace webgl11 {

// Once, right after the WebGL context is made current: compiles the shaders, makes the vertex
// buffer and puts GL 1.1's default state in place. Triangles collected since the last state
// change are drawn at the next change, glFlush, glFinish or glReadPixels, so a frame ends with
// glFlush (or glFinish) before it is presented.
void Init();

}  // namespace webgl11
