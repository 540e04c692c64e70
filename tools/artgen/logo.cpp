// The logo: "Tarvelon" in tall bold letters of polished metal (sky above a horizon line,
// warm gold below, a rounded bevel catching a light from the upper left), a thin dark
// outline and an orange glow, on a dark plate between two gold rules. Everything is drawn
// at four times the resolution and averaged down, so edges are smooth at 256x256.
#include <algorithm>
#include <limits>

#include "art.h"
#include "generators.h"
#include "logo.h"
#include "typeface.h"

namespace art {
namespace {

constexpr int kSuper = 4;  // supersampling factor per axis
constexpr int kBandHeight = kLogoBandBottom - kLogoBandTop;
constexpr double kInkHeight = 50;   // letter height in final texels
constexpr double kInkWidth = 226;   // line width in final texels
constexpr double kTracking = 1.5;   // extra space between letters, final texels

// One-dimensional squared distance transform of a sampled function (lower envelope of
// parabolas); f holds 0 at feature pixels and "infinity" elsewhere.
void DistanceTransform1D(const std::vector<double>& f, std::vector<double>* d) {
  const int n = int(f.size());
  std::vector<int> v(std::size_t(n), 0);
  std::vector<double> z(std::size_t(n) + 1, 0.0);
  int k = 0;
  z[0] = -std::numeric_limits<double>::infinity();
  z[1] = std::numeric_limits<double>::infinity();
  for (int q = 1; q < n; ++q) {
    double s;
    while (true) {
      const int p = v[std::size_t(k)];
      s = ((f[std::size_t(q)] + double(q) * q) - (f[std::size_t(p)] + double(p) * p)) / (2.0 * q - 2.0 * p);
      if (s <= z[std::size_t(k)] && k > 0) {
        --k;
      } else {
        break;
      }
    }
    if (s <= z[std::size_t(k)]) {  // k == 0 and the new parabola hides the first one
      v[0] = q;
      z[1] = std::numeric_limits<double>::infinity();
      continue;
    }
    ++k;
    v[std::size_t(k)] = q;
    z[std::size_t(k)] = s;
    z[std::size_t(k) + 1] = std::numeric_limits<double>::infinity();
  }
  k = 0;
  d->assign(std::size_t(n), 0.0);
  for (int q = 0; q < n; ++q) {
    while (z[std::size_t(k) + 1] < q) ++k;
    const int p = v[std::size_t(k)];
    (*d)[std::size_t(q)] = double(q - p) * (q - p) + f[std::size_t(p)];
  }
}

// Euclidean distance from every pixel to the nearest pixel where `feature` is true.
std::vector<double> DistanceTo(const std::vector<bool>& feature, int width, int height) {
  const double far = 1e12;
  std::vector<double> grid(feature.size());
  for (std::size_t i = 0; i < feature.size(); ++i) grid[i] = feature[i] ? 0.0 : far;
  std::vector<double> line, out;
  for (int x = 0; x < width; ++x) {
    line.assign(std::size_t(height), 0.0);
    for (int y = 0; y < height; ++y) line[std::size_t(y)] = grid[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    DistanceTransform1D(line, &out);
    for (int y = 0; y < height; ++y) grid[std::size_t(y) * std::size_t(width) + std::size_t(x)] = out[std::size_t(y)];
  }
  for (int y = 0; y < height; ++y) {
    line.assign(grid.begin() + std::ptrdiff_t(y) * width, grid.begin() + std::ptrdiff_t(y + 1) * width);
    DistanceTransform1D(line, &out);
    for (int x = 0; x < width; ++x) grid[std::size_t(y) * std::size_t(width) + std::size_t(x)] = std::sqrt(out[std::size_t(x)]);
  }
  return grid;
}

// The reflected surroundings of the metal: a sky above the horizon, gold ground below.
Vec3 Environment(double down) {
  if (down < 0) {
    const double up = std::min(1.0, -down);
    return Mix(Vec3{0.92, 0.96, 1.0}, Vec3{0.30, 0.45, 0.85}, std::pow(up, 0.7));
  }
  const double d = std::min(1.0, down);
  return Mix(Vec3{0.22, 0.10, 0.03}, Vec3{1.0, 0.80, 0.35}, std::pow(d, 0.6));
}

}  // namespace

std::vector<unsigned char> MakeLogo(const std::string& font_file, std::string* error) {
  Typeface face;
  if (!face.Open(font_file, error)) return {};

  // Fit the lettering: a tall cut whose line spans kInkWidth texels.
  const int width = kLogoSide * kSuper, height = kBandHeight * kSuper;
  const int tracking = int(kTracking * kSuper);
  const int glyph_height = int(kInkHeight * kSuper / 0.76);  // ascender height is about 0.76 em
  int glyph_width = glyph_height;
  while (glyph_width > 8) {
    if (!face.SetPixelSize(glyph_width, glyph_height)) {
      *error = "cannot size the face";
      return {};
    }
    if (face.LineWidth(kLogoText, tracking) <= int(kInkWidth * kSuper)) break;
    --glyph_width;
  }

  // Draw, then centre the ink inside the band.
  Coverage drawn(width, height * 2);
  face.DrawLine(kLogoText, 0, height + height / 2, tracking, &drawn);
  int min_x = width, max_x = -1, min_y = drawn.height, max_y = -1;
  for (int y = 0; y < drawn.height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (drawn.at(x, y) > 0) {
        min_x = std::min(min_x, x), max_x = std::max(max_x, x);
        min_y = std::min(min_y, y), max_y = std::max(max_y, y);
      }
    }
  }
  if (max_x < 0) {
    *error = "the face drew no ink";
    return {};
  }
  const int shift_x = (width - (max_x + 1 - min_x)) / 2 - min_x;
  const int shift_y = (height - (max_y + 1 - min_y)) / 2 - min_y;
  Coverage ink(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) ink.ref(x, y) = drawn.at(x - shift_x, y - shift_y);
  }
  const double ink_top = double(min_y + shift_y), ink_bottom = double(max_y + 1 + shift_y);

  std::vector<bool> inside(std::size_t(width) * std::size_t(height)), outside(inside.size());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool in = ink.at(x, y) >= 0.5;
      inside[std::size_t(y) * std::size_t(width) + std::size_t(x)] = in;
      outside[std::size_t(y) * std::size_t(width) + std::size_t(x)] = !in;
    }
  }
  // Distances in final texels: to the nearest outside pixel (depth into a letter) and to the
  // nearest inside pixel (distance from the lettering).
  std::vector<double> depth = DistanceTo(outside, width, height), reach = DistanceTo(inside, width, height);
  for (double& d : depth) d /= kSuper;
  for (double& d : reach) d /= kSuper;

  const double bevel = 3.6;
  auto height_at = [&](int x, int y) {
    x = std::clamp(x, 0, width - 1), y = std::clamp(y, 0, height - 1);
    const double t = std::min(1.0, depth[std::size_t(y) * std::size_t(width) + std::size_t(x)] / bevel);
    return bevel * (1.0 - (1.0 - t) * (1.0 - t));
  };
  const Vec3 light = Normalize({-0.55, -0.65, 0.75});

  std::vector<Vec3> fine(std::size_t(width) * std::size_t(height));
  for (int y = 0; y < height; ++y) {
    const double band_y = (y + 0.5) / kSuper;  // final texels from the band's top edge
    const double from_edge = std::min(band_y, kBandHeight - band_y);
    // The plate: dark steel, a little lighter towards the middle, with gold rules near the edges.
    const double centre = 1.0 - std::fabs(band_y / kBandHeight * 2.0 - 1.0);
    Vec3 plate = Mix(Vec3{0.0, 0.0, 0.0}, Vec3{0.05, 0.06, 0.12}, std::pow(centre, 0.7));
    const double rule = std::exp(-std::pow((from_edge - 5.0) / 0.9, 2.0));
    const double rule_glow = 0.35 * std::exp(-std::fabs(from_edge - 5.0) / 2.0);
    plate = plate + Vec3{1.0, 0.72, 0.28} * rule + Vec3{0.9, 0.35, 0.05} * rule_glow;
    // Nothing reaches the band's own edge: the plate fades out over its outer texels.
    const double window = Smoothstep(0.0, 2.5, from_edge);

    for (int x = 0; x < width; ++x) {
      const std::size_t i = std::size_t(y) * std::size_t(width) + std::size_t(x);
      Vec3 colour;
      if (inside[i]) {
        const double dx = (height_at(x + 1, y) - height_at(x - 1, y)) * kSuper / 2.0;
        const double dy = (height_at(x, y + 1) - height_at(x, y - 1)) * kSuper / 2.0;
        const Vec3 normal = Normalize({-dx, -dy, 1.0});
        const Vec3 reflected = normal * (2.0 * normal.z) - Vec3{0, 0, 1};
        // Position down the letters picks the horizon; the bevel's tilt bends the reflection.
        const double down = ((y - ink_top) / (ink_bottom - ink_top) - 0.52) * 2.4 + reflected.y * 1.3;
        const Vec3 metal = Environment(down);
        const double diffuse = 0.4 + 0.7 * std::max(0.0, Dot(normal, light));
        const double specular = std::pow(std::max(0.0, Dot(reflected, light)), 10.0);
        colour = metal * diffuse + Vec3{1.0, 0.98, 0.9} * (0.85 * specular);
      } else {
        const double d = reach[i];
        const double glow = std::exp(-std::max(0.0, d - 1.3) / 3.5) * (d > 1.3 ? 1.0 : 0.0);
        const double line = 1.0 - Smoothstep(0.6, 1.3, d);  // the dark outline next to the ink
        colour = plate * (1.0 - line) + Vec3{1.0, 0.42, 0.06} * (0.95 * glow) * (1.0 - line);
        colour = colour * window;
      }
      fine[i] = colour;
    }
  }

  Canvas canvas(kLogoSide, kLogoSide);
  for (int y = 0; y < kBandHeight; ++y) {
    for (int x = 0; x < kLogoSide; ++x) {
      Vec3 sum;
      for (int sy = 0; sy < kSuper; ++sy) {
        for (int sx = 0; sx < kSuper; ++sx) {
          sum = sum + fine[std::size_t(y * kSuper + sy) * std::size_t(width) + std::size_t(x * kSuper + sx)];
        }
      }
      canvas.at(x, kLogoBandTop + y) = sum * (1.0 / (kSuper * kSuper));
    }
  }
  return ToTextureBytes(canvas);
}

}  // namespace art
