#include "matrix.h"

#include <cmath>

namespace webgl11 {

namespace {

constexpr double kPi = 3.14159265358979323846;

float& At(Mat4& a, int row, int column) { return a.m[column * 4 + row]; }

}  // namespace

Mat4 Identity() {
  Mat4 r{};
  r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0f;
  return r;
}

Mat4 Multiply(const Mat4& a, const Mat4& b) {
  Mat4 r{};
  for (int c = 0; c < 4; ++c) {
    for (int row = 0; row < 4; ++row) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[c * 4 + k];
      r.m[c * 4 + row] = sum;
    }
  }
  return r;
}

Mat4 Translation(float x, float y, float z) {
  Mat4 r = Identity();
  r.m[12] = x;
  r.m[13] = y;
  r.m[14] = z;
  return r;
}

Mat4 Rotation(float angle, float x, float y, float z) {
  const float length = std::sqrt(x * x + y * y + z * z);
  if (length == 0.0f) return Identity();
  x /= length;
  y /= length;
  z /= length;
  const double radians = double(angle) * kPi / 180.0;
  const float s = static_cast<float>(std::sin(radians));
  const float c = static_cast<float>(std::cos(radians));
  const float one_c = 1.0f - c;
  Mat4 r = Identity();
  At(r, 0, 0) = x * x * one_c + c;
  At(r, 0, 1) = x * y * one_c - z * s;
  At(r, 0, 2) = x * z * one_c + y * s;
  At(r, 1, 0) = y * x * one_c + z * s;
  At(r, 1, 1) = y * y * one_c + c;
  At(r, 1, 2) = y * z * one_c - x * s;
  At(r, 2, 0) = x * z * one_c - y * s;
  At(r, 2, 1) = y * z * one_c + x * s;
  At(r, 2, 2) = z * z * one_c + c;
  return r;
}

Mat4 Scaling(float x, float y, float z) {
  Mat4 r = Identity();
  r.m[0] = x;
  r.m[5] = y;
  r.m[10] = z;
  return r;
}

Mat4 Ortho(double left, double right, double bottom, double top, double nearVal, double farVal) {
  const float l = static_cast<float>(left), r = static_cast<float>(right);
  const float b = static_cast<float>(bottom), t = static_cast<float>(top);
  const float n = static_cast<float>(nearVal), f = static_cast<float>(farVal);
  Mat4 m = Identity();
  At(m, 0, 0) = 2.0f / (r - l);
  At(m, 0, 3) = -(r + l) / (r - l);
  At(m, 1, 1) = 2.0f / (t - b);
  At(m, 1, 3) = -(t + b) / (t - b);
  At(m, 2, 2) = -2.0f / (f - n);
  At(m, 2, 3) = -(f + n) / (f - n);
  return m;
}

Mat4 Frustum(double left, double right, double bottom, double top, double nearVal, double farVal) {
  const float l = static_cast<float>(left), r = static_cast<float>(right);
  const float b = static_cast<float>(bottom), t = static_cast<float>(top);
  const float n = static_cast<float>(nearVal), f = static_cast<float>(farVal);
  Mat4 m{};
  At(m, 0, 0) = 2.0f * n / (r - l);
  At(m, 0, 2) = (r + l) / (r - l);
  At(m, 1, 1) = 2.0f * n / (t - b);
  At(m, 1, 2) = (t + b) / (t - b);
  At(m, 2, 2) = -(f + n) / (f - n);
  At(m, 2, 3) = -2.0f * f * n / (f - n);
  At(m, 3, 2) = -1.0f;
  return m;
}

bool Perspective(double fovy, double aspect, double zNear, double zFar, Mat4* out) {
  const double radians = fovy / 2.0 * kPi / 180.0;
  const double depth = zFar - zNear;
  const double sine = std::sin(radians);
  if (depth == 0.0 || sine == 0.0 || aspect == 0.0) return false;
  const double cotangent = std::cos(radians) / sine;
  Mat4 m{};
  At(m, 0, 0) = static_cast<float>(cotangent / aspect);
  At(m, 1, 1) = static_cast<float>(cotangent);
  At(m, 2, 2) = static_cast<float>(-(zFar + zNear) / depth);
  At(m, 3, 2) = -1.0f;
  At(m, 2, 3) = static_cast<float>(-2.0 * zNear * zFar / depth);
  *out = m;
  return true;
}

void Transform(const Mat4& m, const float in[4], float out[4]) {
  for (int row = 0; row < 4; ++row) {
    out[row] = m.m[row] * in[0] + m.m[4 + row] * in[1] + m.m[8 + row] * in[2] + m.m[12 + row] * in[3];
  }
}

bool NormalMatrix(const Mat4& m, float out[9]) {
  // a = upper 3x3, row-major here for readability.
  const float a00 = m.m[0], a01 = m.m[4], a02 = m.m[8];
  const float a10 = m.m[1], a11 = m.m[5], a12 = m.m[9];
  const float a20 = m.m[2], a21 = m.m[6], a22 = m.m[10];
  const float c00 = a11 * a22 - a12 * a21;
  const float c01 = a12 * a20 - a10 * a22;
  const float c02 = a10 * a21 - a11 * a20;
  const float det = a00 * c00 + a01 * c01 + a02 * c02;
  if (det == 0.0f) return false;
  const float inv = 1.0f / det;
  // The inverse's transpose is the cofactor matrix over the determinant (row-major out).
  out[0] = c00 * inv;
  out[1] = c01 * inv;
  out[2] = c02 * inv;
  out[3] = (a02 * a21 - a01 * a22) * inv;
  out[4] = (a00 * a22 - a02 * a20) * inv;
  out[5] = (a01 * a20 - a00 * a21) * inv;
  out[6] = (a01 * a12 - a02 * a11) * inv;
  out[7] = (a02 * a10 - a00 * a12) * inv;
  out[8] = (a00 * a11 - a01 * a10) * inv;
  return true;
}

}  // namespace webgl11
