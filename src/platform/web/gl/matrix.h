// 4x4 matrices as GL 1.1 keeps them: single precision, column-major (element (row r, column c)
// at m[c * 4 + r]), with the builders of glTranslate, glRotate, glScale, glOrtho, glFrustum and
// gluPerspective.
#pragma once

namespace webgl11 {

struct Mat4 {
  float m[16];
};

Mat4 Identity();
// a * b: b acts first on a vector.
Mat4 Multiply(const Mat4& a, const Mat4& b);

Mat4 Translation(float x, float y, float z);
// angle in degrees about the axis (x, y, z), which need not be of unit length.
Mat4 Rotation(float angle, float x, float y, float z);
Mat4 Scaling(float x, float y, float z);
// glOrtho and glFrustum take doubles and work in floats, as GL stores its matrices.
Mat4 Ortho(double left, double right, double bottom, double top, double nearVal, double farVal);
Mat4 Frustum(double left, double right, double bottom, double top, double nearVal, double farVal);
// gluPerspective builds its matrix in doubles and hands it over as floats. Returns false (and
// leaves `out` alone) where GLU does nothing: zero depth range, sine or aspect.
bool Perspective(double fovy, double aspect, double zNear, double zFar, Mat4* out);

// out = m * (x, y, z, w)
void Transform(const Mat4& m, const float in[4], float out[4]);
// The upper 3x3 of the inverse's transpose applied to n: how normals follow a matrix.
// Returns false for a singular upper 3x3 (n is then passed through).
bool NormalMatrix(const Mat4& m, float out[9]);

}  // namespace webgl11
