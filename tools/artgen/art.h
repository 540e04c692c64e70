// Shared pieces of the content generators: small vector maths, a float RGB canvas and the
// byte layout the demo embeds (3 bytes per texel, bottom row first).
#pragma once

#include <cmath>
#include <string>
#include <vector>

namespace art {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
inline Vec3 operator*(double k, Vec3 a) { return a * k; }
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
inline Vec3 Normalize(Vec3 a) {
  const double len = Length(a);
  return len > 0 ? a * (1.0 / len) : a;
}
inline Vec3 Mix(Vec3 a, Vec3 b, double t) { return a + (b - a) * t; }

inline double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline double Smoothstep(double edge0, double edge1, double v) {
  const double t = Clamp01((v - edge0) / (edge1 - edge0));
  return t * t * (3 - 2 * t);
}

// A colour picture held top row first, one Vec3 (r, g, b in 0..1) per texel.
struct Canvas {
  int width = 0, height = 0;
  std::vector<Vec3> texels;

  Canvas(int w, int h) : width(w), height(h), texels(std::size_t(w) * std::size_t(h)) {}
  Vec3& at(int x, int y) { return texels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
  const Vec3& at(int x, int y) const { return texels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// The embedded form: 8-bit R, G, B, bottom row first, so the first row is texture row t = 0.
std::vector<unsigned char> ToTextureBytes(const Canvas& canvas);

// Writes bytes to a file; false when the file cannot be written completely.
bool WriteFile(const std::string& path, const std::vector<unsigned char>& bytes);

// Appends the little-endian bytes of a float (the layout the mesh arrays are read in).
void AppendFloat(std::vector<unsigned char>* out, float value);

}  // namespace art
