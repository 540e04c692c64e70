// The WebGL side of the layer: the state that rasterising depends on (blending, depth, culling,
// polygon offset, textures, viewport), and the batch of finished triangles drawn with one
// shader pair. Every setter that changes something draws the pending triangles first, so they
// come out in the state they were made in. Plain types only: this header is shared by code that
// includes <GL/gl.h> and code that includes WebGL's own header.
#pragma once

#include "fixed_function.h"

namespace webgl11 {

// The one CPU-side pipeline, whose triangles the raster side draws.
FixedFunction& Pipeline();

namespace raster {

void Init();
// Draws what the pipeline has assembled, if anything.
void DrawPending();

// GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_POLYGON_OFFSET_FILL, GL_TEXTURE_2D; anything else
// has no effect on the picture here and is ignored.
void SetCapability(unsigned cap, bool on);
void BlendFunc(unsigned source, unsigned destination);
void DepthFunc(unsigned func);
void CullFace(unsigned face);
void FrontFace(unsigned mode);
void PolygonOffset(float factor, float units);
void Viewport(int x, int y, int width, int height);
void ClearColor(float r, float g, float b, float a);
void ClearDepth(float depth);
void Clear(unsigned mask);

void GenTextures(int n, unsigned* names);
void BindTexture(unsigned target, unsigned name);
void TexParameteri(unsigned target, unsigned pname, int param);
// Uploads a whole chain, level 0 first, to the bound texture. `components` is 3 (RGB) or 4 (RGBA).
void TexImageChain(const unsigned char* pixels, int width, int height, int components);

void PackAlignment(int alignment);
// GL_RGB or GL_RGBA with GL_UNSIGNED_BYTE, rows bottom first, laid out with the pack alignment.
void ReadPixels(int x, int y, int width, int height, unsigned format, void* pixels);
void Flush();
void Finish();

}  // namespace raster
}  // namespace webgl11
