// A 16-bit stereo PCM WAV file written as frames arrive; the sizes are filled in at the end.
// A stream that cannot seek (a pipe) gets its sizes up front instead, from the frame count
// announced when it is opened.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class WavWriter {
 public:
  ~WavWriter();
  // False (with errno set by stdio) when the file cannot be created.
  bool Open(const std::string& path, std::int32_t rate);
  // Writes to a stream already open, such as standard output, and leaves it open. Finish
  // fails when the frames written are not the `frames` announced here.
  bool OpenStream(std::FILE* stream, std::int32_t rate, std::int64_t frames);
  bool Write(const std::int16_t* frames, std::int64_t count);
  // Writes the final sizes and closes; false on any write error along the way.
  bool Finish();
  std::int64_t frames() const { return frames_; }

 private:
  static constexpr std::size_t kFlushBytes = std::size_t(1) << 20;
  void Flush();

  std::FILE* file_ = nullptr;
  bool owns_file_ = true;
  std::vector<std::uint8_t> pending_;  // converted frames not yet written
  std::int64_t frames_ = 0;
  std::int64_t announced_frames_ = 0;  // the size the header already written gives
  bool ok_ = true;
  std::int32_t rate_ = 0;  // set by Open
};
