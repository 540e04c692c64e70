// Frames read back from GL for the encoder. Where the context has pixel buffer objects (GL 2.1,
// or ARB_pixel_buffer_object), a read-back is started into a buffer and collected a frame
// later, so a driver that copies into the buffer on its own time overlaps the copy with the
// next frame's set-up. llvmpipe waits for the frame inside glReadPixels either way, so there
// the two ways take the same time. Without the buffers every read-back is done on the spot.
#pragma once

#include <cstddef>
#include <vector>

#include "scene_surface.h"

class FrameReadback {
 public:
  FrameReadback();
  FrameReadback(const FrameReadback&) = delete;
  FrameReadback& operator=(const FrameReadback&) = delete;
  ~FrameReadback();

  // True when read-backs go through pixel buffer objects.
  bool buffered() const { return buffers_[0] != 0; }
  // Bytes per row of a frame read back; rows come bottom row first, as GL hands them.
  static constexpr std::size_t kRowBytes = std::size_t(kFrameWidth) * 3;

  // Starts reading the frame just queued. At most two read-backs are in flight: Collect and
  // Release the older one before the third Start.
  void Start();
  // The oldest frame started and not yet released, once it is there; nullptr when GL could not
  // hand it over.
  const unsigned char* Collect();
  // Done with the frame Collect gave.
  void Release();

 private:
  unsigned buffers_[2] = {0, 0};
  int started_ = 0, collected_ = 0;  // read-backs so far
  bool mapped_ = false;
  std::vector<unsigned char> frames_[2];  // frames read on the spot, without buffers
};
