// The mesh renderer: draws a built-in vertex array (8 floats per vertex: position, normal,
// texture coordinate; three vertices per triangle) in immediate mode, placed by a translation,
// one rotation and a scale, optionally coloured from its normals and blown apart along them.
// It binds no texture and changes no render state; the caller sets both beforehand.
#pragma once

// Draws `vertexCount` vertices of `vertices`. `angle` is in degrees, about (1, 1, 1) when
// `diagonalAxis` is set, otherwise about the vertical axis. Leaves the modelview matrix as it was.
void Mesh(const float* vertices, int vertexCount, float x, float y, float z, float angle, float sx, float sy,
          float sz, bool scatter, float scatterAmount, bool colourFromNormals, bool diagonalAxis);

// The box (`kutu`, 36 vertices), always turning about the diagonal axis.
void Kutu(float x, float y, float z, float angle, float sx, float sy, float sz, bool scatter, float scatterAmount,
          bool colourFromNormals);

// The room (`odamodel`, 5,652 vertices), always turning about the vertical axis.
void Oda(float x, float y, float z, float angle, float sx, float sy, float sz, bool scatter, float scatterAmount,
         bool colourFromNormals);
