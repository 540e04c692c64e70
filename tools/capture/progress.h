// Progress of a long capture on the terminal: one line rewritten in place, at most a few times
// a second, and nothing at all when standard error is not a terminal.
#pragma once

#include <chrono>

class Progress {
 public:
  explicit Progress(long total);
  // `done` of the total are finished.
  void Update(long done);
  // Ends the line, when one was written.
  void Finish();

 private:
  using Clock = std::chrono::steady_clock;
  long total_;
  bool shown_;
  bool written_ = false;
  Clock::time_point start_ = Clock::now();
  Clock::time_point last_ = start_;
};
