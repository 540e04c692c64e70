// A thin FreeType wrapper: opens one face and rasterises glyphs into coverage masks.
#pragma once

#include <string>
#include <vector>

namespace art {

// Anti-aliased coverage, 0..1 per pixel, top row first.
struct Coverage {
  int width = 0, height = 0;
  std::vector<double> values;

  Coverage(int w, int h) : width(w), height(h), values(std::size_t(w) * std::size_t(h), 0.0) {}
  double at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0.0;
    return values[std::size_t(y) * std::size_t(width) + std::size_t(x)];
  }
  double& ref(int x, int y) { return values[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

class Typeface {
 public:
  Typeface() = default;
  Typeface(const Typeface&) = delete;
  Typeface& operator=(const Typeface&) = delete;
  ~Typeface();

  // False (with a reason) when the file is missing or not a font FreeType can read.
  bool Open(const std::string& file, std::string* error);
  // Glyph size in pixels; width and height may differ for a condensed or stretched cut.
  bool SetPixelSize(int width, int height);

  // Draws `code` with its pen origin (baseline, left) at (pen_x, baseline) into `target`,
  // adding coverage and clipping at the target's edges. Returns the advance in pixels, or -1
  // when the face has no such glyph. `light_hinting` snaps to the pixel grid vertically only.
  int DrawGlyph(unsigned code, int pen_x, int baseline, bool light_hinting, Coverage* target) const;

  // The advance of a whole line in pixels, kerning and `tracking` (extra pixels between
  // letters) included.
  int LineWidth(const std::string& text, int tracking) const;
  // Draws a line with kerning and tracking; returns the pen position after the last glyph.
  int DrawLine(const std::string& text, int pen_x, int baseline, int tracking, Coverage* target) const;

 private:
  int Kerning(unsigned left, unsigned right) const;

  void* library_ = nullptr;  // FT_Library
  void* face_ = nullptr;     // FT_Face
};

}  // namespace art
