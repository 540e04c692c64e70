// The ffmpeg program as an encoder: started with its arguments, fed on its standard input
// through a pipe, its messages kept in a log file so that a failure can be told in one line.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

class FfmpegPipe {
 public:
  FfmpegPipe() = default;
  FfmpegPipe(const FfmpegPipe&) = delete;
  FfmpegPipe& operator=(const FfmpegPipe&) = delete;
  // An encoder still running here was abandoned: it is stopped and waited for.
  ~FfmpegPipe();

  // Starts `ffmpeg ARGUMENTS...` from PATH with its messages going to `log_path`. False with a
  // one-line reason when it cannot be started (not installed, no pipe).
  bool Start(const std::vector<std::string>& arguments, const std::string& log_path, std::string* why);
  // Hands `bytes` bytes to ffmpeg's standard input; false once ffmpeg has stopped reading.
  bool Write(const unsigned char* data, std::size_t bytes);
  // Ends the input and waits for ffmpeg. False with a one-line reason (its exit status and the
  // last line it logged) when it did not succeed.
  bool Finish(std::string* why);

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  std::string log_path_;
};
