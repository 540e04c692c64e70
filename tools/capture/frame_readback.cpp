#define GL_GLEXT_PROTOTYPES 1
#include "frame_readback.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t kFrameBytes = FrameReadback::kRowBytes * kFrameHeight;

bool HasPixelBuffers() {
  // CAPTURE_READBACK=direct reads every frame on the spot, to compare the two ways.
  if (const char* way = std::getenv("CAPTURE_READBACK"); way && std::strcmp(way, "direct") == 0) return false;
  int major = 0, minor = 0;
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (version && std::sscanf(version, "%d.%d", &major, &minor) == 2 && (major > 2 || (major == 2 && minor >= 1)))
    return true;
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  return extensions && std::strstr(extensions, "GL_ARB_pixel_buffer_object");
}

void ReadInto(void* destination) {
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kFrameWidth, kFrameHeight, GL_RGB, GL_UNSIGNED_BYTE, destination);
}

}  // namespace

FrameReadback::FrameReadback() {
  if (!HasPixelBuffers()) return;
  glGenBuffers(2, buffers_);
  for (const GLuint buffer : buffers_) {
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
    glBufferData(GL_PIXEL_PACK_BUFFER, GLsizeiptr(kFrameBytes), nullptr, GL_STREAM_READ);
  }
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  if (glGetError() != GL_NO_ERROR) {
    glDeleteBuffers(2, buffers_);
    buffers_[0] = buffers_[1] = 0;
  }
}

FrameReadback::~FrameReadback() {
  if (mapped_) Release();
  if (buffered()) glDeleteBuffers(2, buffers_);
}

void FrameReadback::Start() {
  if (!buffered()) {
    std::vector<unsigned char>& frame = frames_[started_++ % 2];
    frame.resize(kFrameBytes);
    ReadInto(frame.data());
    return;
  }
  glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[started_++ % 2]);
  ReadInto(nullptr);  // into the bound buffer, from offset 0
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

const unsigned char* FrameReadback::Collect() {
  if (collected_ >= started_) return nullptr;
  if (!buffered()) return frames_[collected_ % 2].data();
  glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[collected_ % 2]);
  const void* pixels = glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  mapped_ = pixels != nullptr;
  return static_cast<const unsigned char*>(pixels);
}

void FrameReadback::Release() {
  if (buffered() && mapped_) {
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[collected_ % 2]);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  }
  mapped_ = false;
  ++collected_;
}
