#include "noise.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace art {
namespace {

struct Tables {
  std::array<std::uint8_t, 256> permutation{};
  std::array<double, 256> gx{}, gy{};

  Tables() {
    // A fixed linear congruential sequence shuffles the table; nothing depends on the clock.
    std::uint32_t state = 0x7A12u;
    for (int i = 0; i < 256; ++i) permutation[std::size_t(i)] = std::uint8_t(i);
    for (int i = 255; i > 0; --i) {
      state = state * 1664525u + 1013904223u;
      const int j = int((state >> 8) % std::uint32_t(i + 1));
      std::swap(permutation[std::size_t(i)], permutation[std::size_t(j)]);
    }
    for (int i = 0; i < 256; ++i) {
      const double angle = (i + 0.5) * (2.0 * 3.14159265358979323846 / 256.0);
      gx[std::size_t(i)] = std::cos(angle);
      gy[std::size_t(i)] = std::sin(angle);
    }
  }
};

const Tables& Lookup() {
  static const Tables tables;
  return tables;
}

int Wrap(int value, int period) {
  const int m = value % period;
  return m < 0 ? m + period : m;
}

double Fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

double Corner(const Tables& t, int ix, int iy, unsigned seed, double dx, double dy) {
  const std::size_t h = t.permutation[(t.permutation[(std::size_t(ix) + seed) & 255u] + std::size_t(iy)) & 255u];
  const std::size_t g = t.permutation[(h + (seed >> 8)) & 255u];
  return t.gx[g] * dx + t.gy[g] * dy;
}

}  // namespace

double PeriodicNoise(double x, double y, int period, unsigned seed) {
  const Tables& t = Lookup();
  const double fx = std::floor(x), fy = std::floor(y);
  const int x0 = Wrap(int(fx), period), y0 = Wrap(int(fy), period);
  const int x1 = Wrap(x0 + 1, period), y1 = Wrap(y0 + 1, period);
  const double dx = x - fx, dy = y - fy;
  const double n00 = Corner(t, x0, y0, seed, dx, dy);
  const double n10 = Corner(t, x1, y0, seed, dx - 1, dy);
  const double n01 = Corner(t, x0, y1, seed, dx, dy - 1);
  const double n11 = Corner(t, x1, y1, seed, dx - 1, dy - 1);
  const double u = Fade(dx), v = Fade(dy);
  const double top = n00 + (n10 - n00) * u, bottom = n01 + (n11 - n01) * u;
  return top + (bottom - top) * v;
}

double PeriodicFbm(double x, double y, int period, int octaves, unsigned seed) {
  double sum = 0, amplitude = 1, scale = 1;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * PeriodicNoise(x * scale, y * scale, period * int(scale), seed + unsigned(i) * 37u);
    amplitude *= 0.5;
    scale *= 2;
  }
  return sum;
}

double PeriodicTurbulence(double x, double y, int period, int octaves, unsigned seed) {
  double sum = 0, amplitude = 1, scale = 1;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * std::fabs(PeriodicNoise(x * scale, y * scale, period * int(scale), seed + unsigned(i) * 37u));
    amplitude *= 0.5;
    scale *= 2;
  }
  return sum;
}

}  // namespace art
