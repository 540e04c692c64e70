// A 32-bit counter that wraps, widened to 64 bits: the device's play position counts in 32
// bits and starts again at 0 after 2^32, so each reading adds only its unsigned distance
// from the one before. Correct as long as it is read at least once per lap of the counter.
#pragma once

#include <cstdint>

namespace platform {

class WrappingCounter {
 public:
  // Takes a reading of the 32-bit counter; returns the total counted since the last reset.
  std::uint64_t Advance(std::uint32_t reading) {
    total_ += std::uint32_t(reading - last_);
    last_ = reading;
    return total_;
  }
  void Reset() { last_ = 0, total_ = 0; }

 private:
  std::uint32_t last_ = 0;
  std::uint64_t total_ = 0;
};

}  // namespace platform
