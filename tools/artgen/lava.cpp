// The lava picture: a crust of dark rock cut by glowing, folded seams. Two rounds of domain
// warping bend a turbulent field into flowing shapes; every field repeats over the picture,
// so the texture tiles under repeat wrap without a seam.
#include "art.h"
#include "generators.h"
#include "noise.h"

namespace art {
namespace {

constexpr int kSide = 256;
constexpr int kPeriod = 4;  // lattice cells across the picture in the first octave

// Black through deep red, orange and yellow to a pale core.
Vec3 Palette(double heat) {
  struct Stop {
    double at;
    Vec3 colour;
  };
  static const Stop stops[] = {
      {0.00, {0.00, 0.00, 0.00}}, {0.18, {0.10, 0.00, 0.00}}, {0.38, {0.45, 0.03, 0.00}},
      {0.56, {0.85, 0.18, 0.01}}, {0.72, {1.00, 0.50, 0.04}}, {0.86, {1.00, 0.80, 0.18}},
      {1.00, {1.00, 0.97, 0.70}},
  };
  const double h = Clamp01(heat);
  for (std::size_t i = 1; i < sizeof stops / sizeof stops[0]; ++i) {
    if (h <= stops[i].at) {
      const double t = (h - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
      return Mix(stops[i - 1].colour, stops[i].colour, t * t * (3 - 2 * t));
    }
  }
  return stops[sizeof stops / sizeof stops[0] - 1].colour;
}

}  // namespace

std::vector<unsigned char> MakeLava(std::string* /*error*/) {
  Canvas canvas(kSide, kSide);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const double px = double(x) / kSide * kPeriod, py = double(y) / kSide * kPeriod;
      const double qx = PeriodicFbm(px, py, kPeriod, 3, 11);
      const double qy = PeriodicFbm(px + 1.7, py + 9.2, kPeriod, 3, 23);
      const double rx = PeriodicFbm(px + 2.0 * qx + 8.3, py + 2.0 * qy + 2.8, kPeriod, 3, 5);
      const double ry = PeriodicFbm(px + 2.0 * qx + 1.1, py + 2.0 * qy + 6.4, kPeriod, 3, 71);
      // Thin creases of the turbulent field are the hot seams; the warp length sets the swirl.
      const double crease = PeriodicTurbulence(px + 1.6 * rx, py + 1.6 * ry, kPeriod, 4, 97);
      const double seam = 1.0 - Smoothstep(0.0, 0.3, crease);
      const double pool = Smoothstep(-0.1, 0.7, rx + 0.7 * ry);
      // Crust everywhere, glowing veins through it, and hot pools where the veins widen.
      const double heat = 0.1 + 0.58 * seam * (0.5 + 0.5 * pool) + 0.5 * pool * pool;
      canvas.at(x, y) = Palette(heat);
    }
  }
  return ToTextureBytes(canvas);
}

}  // namespace art
