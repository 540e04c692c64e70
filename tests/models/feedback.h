// Records what a drawing call really sends down the pipeline, through GL's feedback mode:
// window coordinates, colour and texture coordinates of every vertex of every polygon.
#pragma once

#include <GL/gl.h>

#include <functional>
#include <vector>

namespace testsupport {

struct FeedbackVertex {
  float x, y, z;        // window coordinates
  float r, g, b, a;     // colour after the pipeline
  float s, t, p, q;     // texture coordinates
};

struct FeedbackPolygon {
  std::vector<FeedbackVertex> vertices;
};

// Runs `draw` in feedback mode and returns the polygons it produced; `overflow` is set when the
// buffer was too small (the result is then incomplete).
inline std::vector<FeedbackPolygon> CapturePolygons(const std::function<void()>& draw, bool* overflow = nullptr) {
  constexpr int kFloatsPerVertex = 11;  // GL_3D_COLOR_TEXTURE in RGBA mode
  std::vector<GLfloat> buffer(400000);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  if (overflow) *overflow = used < 0;
  std::vector<FeedbackPolygon> polygons;
  auto read_vertex = [&](std::size_t at) {
    const GLfloat* f = buffer.data() + at;
    return FeedbackVertex{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10]};
  };
  std::size_t i = 0;
  const std::size_t end = used < 0 ? 0 : static_cast<std::size_t>(used);
  while (i < end) {
    const auto token = static_cast<GLint>(buffer[i++]);
    std::size_t count = 0;
    if (token == GL_POLYGON_TOKEN) {
      count = static_cast<std::size_t>(buffer[i++]);
    } else if (token == GL_PASS_THROUGH_TOKEN) {
      ++i;
      continue;
    } else if (token == GL_POINT_TOKEN || token == GL_BITMAP_TOKEN || token == GL_DRAW_PIXEL_TOKEN ||
               token == GL_COPY_PIXEL_TOKEN) {
      i += kFloatsPerVertex;
      continue;
    } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      i += 2 * kFloatsPerVertex;
      continue;
    } else {
      break;  // unknown token: stop rather than misread the rest
    }
    FeedbackPolygon polygon;
    for (std::size_t v = 0; v < count; ++v, i += kFloatsPerVertex) polygon.vertices.push_back(read_vertex(i));
    polygons.push_back(std::move(polygon));
  }
  return polygons;
}

}  // namespace testsupport
