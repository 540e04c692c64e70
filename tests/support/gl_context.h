// A GL context for tests that draw: one 800x600 window per process with the demo's surface
// (16-bit colour, 16-bit depth), made current on the calling thread. Headless by default:
// without a display SDL's offscreen driver renders with Mesa.
#pragma once

#include <array>
#include <string>

namespace testsupport {

// Creates the window and context once; false (and a reason) when no GL is available.
bool EnsureGLContext(std::string* why = nullptr);

// The colour at (x, y) of the back buffer, bottom-left origin, as 0..255 RGBA.
std::array<int, 4> ReadPixel(int x, int y);

// Path of a file in the shared XM corpus or the repository.
std::string SharedPath(const std::string& relative);
std::string SourcePath(const std::string& relative);

}  // namespace testsupport
