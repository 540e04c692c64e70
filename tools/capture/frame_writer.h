// Frames on their way into the encoder's pipe, written by a thread of their own. ffmpeg takes a
// frame only when it has encoded the one before, and a pipe holds less than a frame, so written
// from the drawing loop every frame would wait for the encoder and the encoder for the next
// frame. With a few frames queued, ffmpeg encodes on one core while the next frames are drawn.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "ffmpeg_pipe.h"

class FrameWriter {
 public:
  // Frames of `rows` rows of `row_bytes` bytes, at most `depth` of them queued.
  FrameWriter(FfmpegPipe* encoder, std::size_t row_bytes, int rows, std::size_t depth);
  FrameWriter(const FrameWriter&) = delete;
  FrameWriter& operator=(const FrameWriter&) = delete;
  // Writes what is queued, then stops (see Close).
  ~FrameWriter();

  // Queues a copy of a frame read back bottom row first, to go out `repeats` times; waits while
  // the queue is full. False once the encoder has stopped reading.
  bool Hand(const unsigned char* bottom_up, long repeats);
  // Writes what is queued and ends the thread; false when the encoder stopped reading on the
  // way. With `drop`, what is still queued is let go instead.
  bool Close(bool drop = false);

 private:
  struct Frame {
    std::vector<unsigned char> bytes;
    long repeats = 0;
  };
  void Run();

  FfmpegPipe* encoder_;
  const std::size_t row_bytes_;
  const int rows_;
  const std::size_t depth_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Frame> queued_;
  std::vector<std::vector<unsigned char>> spare_;  // buffers written out, for reuse
  bool writing_ = false;  // a frame taken from the queue is being written
  bool closing_ = false;
  bool failed_ = false;
  std::thread thread_;
};
