// The ffmpeg program as an encoder: started with its arguments, fed on its standard input
// through a pipe, its messages kept in a log file so that a failure can be told in one line.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

class FfmpegPipe {
 public:
  FfmpegPipe() = default;
  FfmpegPipe(const FfmpegPipe&) = delete;
  FfmpegPipe& operator=(const FfmpegPipe&) = delete;
  // An encoder still running here was abandoned: it is stopped (see Stop).
  ~FfmpegPipe();

  // Starts `ffmpeg ARGUMENTS...` from PATH with its messages going to `log_path`. False with a
  // one-line reason when it cannot be started (not installed, no pipe).
  bool Start(const std::vector<std::string>& arguments, const std::string& log_path, std::string* why);
  // Hands `bytes` bytes to ffmpeg's standard input; false once ffmpeg has stopped reading.
  bool Write(const unsigned char* data, std::size_t bytes);
  // Hands `rows` rows of `row_bytes` bytes to ffmpeg, the last row first: a picture GL read
  // back bottom row first goes out top row first, without a copy.
  bool WriteRowsReversed(const unsigned char* bottom_up, std::size_t row_bytes, int rows);
  // Ends the input and waits at most `deadline` for ffmpeg to finish the file. False with a
  // one-line reason (its exit status and the last line it logged, or the deadline) when it did
  // not succeed; an encoder past the deadline is stopped.
  bool Finish(std::chrono::seconds deadline, std::string* why);

 private:
  // SIGTERM, then SIGKILL when ffmpeg has not ended 5 s later; never an unbounded wait.
  void Stop();

  pid_t pid_ = -1;
  int input_ = -1;
  std::string log_path_;
};
