// Sines and cosines of the timeline. The argument is milliseconds divided by a constant, formed
// in single precision like the clock itself; the function and the product with the amplitude
// are evaluated in double and rounded once, where the result is handed on.
#pragma once

#include <cmath>

inline float SinWave(float amplitude, float radians) {
  return static_cast<float>(amplitude * std::sin(static_cast<double>(radians)));
}

inline float CosWave(float amplitude, float radians) {
  return static_cast<float>(amplitude * std::cos(static_cast<double>(radians)));
}
