#include "progress.h"

#include <unistd.h>

#include <cstdio>

Progress::Progress(long total) : total_(total), shown_(isatty(STDERR_FILENO) != 0) {}

void Progress::Update(long done) {
  if (!shown_) return;
  const Clock::time_point now = Clock::now();
  if (done < total_ && now - last_ < std::chrono::milliseconds(250)) return;
  last_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double rate = seconds > 0 ? done / seconds : 0.0;
  const double left = rate > 0 ? (total_ - done) / rate : 0.0;
  std::fprintf(stderr, "\rframe %ld/%ld  %5.1f frames per second  %4.0f s left ", done, total_, rate, left);
  std::fflush(stderr);
  written_ = true;
}

void Progress::Finish() {
  if (written_) std::fprintf(stderr, "\n");
  written_ = false;
}
